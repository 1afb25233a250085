#pragma once

#include <QString>

namespace pellimore {

class Ui;

// The help viewer HTMLHelp drives: a window of ours over a Qt Help collection
// (a .qhc file). Each call opens or raises the viewer; windowType names the
// viewer's size ("Size", or empty for the default). The calls return false
// when the collection cannot be read or holds no such topic.
class HelpViewer {
public:
    virtual ~HelpViewer() = default;
    // The contents page: the first entry of the table of contents.
    virtual bool OpenContents(const QString &collection, const QString &windowType) = 0;
    // The viewer with its index shown.
    virtual bool OpenIndex(const QString &collection, const QString &windowType) = 0;
    // A page of the manual by its file name, with an optional "#anchor".
    virtual bool OpenTopic(const QString &collection, const QString &topic, const QString &windowType) = 0;
    // The page of a keyword identifier (a numbered context is "context-N").
    virtual bool OpenIdentifier(const QString &collection, const QString &identifier, const QString &windowType) = 0;
    // The page of the first of the keywords (separated by ";") that the
    // index holds, spelt as the index spells it.
    virtual bool OpenKeyword(const QString &collection, const QString &keywords, const QString &windowType) = 0;
    // Closes the viewer.
    virtual void CloseAll() = 0;
    // The viewer's window id, 0 while it is not shown.
    virtual quintptr WindowHandle() const = 0;
};

// The program's help access. CHMFile names a compiled help file the way the
// program always has ("<program folder>/WP.chm"); the manual itself is the Qt
// Help collection with the same base name in the "help" folder beside it
// ("<program folder>/help/WP.qhc"). The name must still end in "chm" (any
// case): that is what tells a help file from anything else handed in.
class HTMLHelp {
public:
    // The program folder is where a bare file name is looked up.
    HTMLHelp(Ui &ui, HelpViewer &viewer, QString programFolder);

    QString CHMFile;
    QString HHWindow;      // the window type: the viewer's size
    QString HHKeyword;     // one or more keywords separated by ";"
    QString HHDefaultURL;  // page shown when no keyword is found
    QString HHMsgTitle;    // the not-found message, when there is no default page
    QString HHMsgText;
    bool HHShowOnTop = false;  // the viewer stays above the calling window
    QString HHTopicURL;    // page for HHDisplayTopicURL ("ss-setup.htm")
    int HHTopicID = 0;     // context number for HHDisplayTopicID

    quintptr HHWndHandle() const { return wndHandle_; }

    // Each display method takes the calling window (may be null) and returns
    // true when the viewer shows the page asked for. Failures are told to the
    // user in a box titled "HTML Help Class".
    bool HHDisplayContents(const void *callingWindow);
    bool HHDisplayIndex(const void *callingWindow);
    bool HHDisplayKeyword(const void *callingWindow);
    bool HHDisplayTopicURL(const void *callingWindow);
    bool HHDisplayTopicID(const void *callingWindow);
    void HHClose();

    // The help file's full path: a name without "/" lies in the program
    // folder. Empty, after telling the user, when its collection is missing.
    QString EnsureFileExists(const QString &file);
    // The collection that stands for a help file path.
    static QString CollectionFor(const QString &helpFile);

private:
    // The checks every display method makes; the collection, or empty.
    QString Prepare(const QString &method, const void *callingWindow);
    void Tell(const QString &text);

    Ui &ui_;
    HelpViewer &viewer_;
    QString programFolder_;
    quintptr wndHandle_ = 0;
};

}  // namespace pellimore
