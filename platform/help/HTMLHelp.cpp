#include "platform/help/HTMLHelp.h"

#include <QFileInfo>

#include "platform/ui/Ui.h"

namespace pellimore {

namespace {

const QString kMessageTitle = QStringLiteral("HTML Help Class");

}  // namespace

HTMLHelp::HTMLHelp(Ui &ui, HelpViewer &viewer, QString programFolder)
    : ui_(ui), viewer_(viewer), programFolder_(std::move(programFolder))
{
}

void HTMLHelp::Tell(const QString &text) { ui_.Message(text, MessageIcon::Exclamation, kMessageTitle); }

QString HTMLHelp::CollectionFor(const QString &helpFile)
{
    const QFileInfo info(helpFile);
    return info.path() + QStringLiteral("/help/") + info.completeBaseName() + QStringLiteral(".qhc");
}

QString HTMLHelp::EnsureFileExists(const QString &file)
{
    QString path = file;
    if (!path.contains(QLatin1Char('/')))
        path = programFolder_ + QLatin1Char('/') + path;
    if (!QFileInfo(CollectionFor(path)).isFile()) {
        Tell(QStringLiteral("The file %1 does not exist.\nPlease make sure the correct path and file name have been "
                            "specified.")
                 .arg(path));
        return QString();
    }
    return path;
}

QString HTMLHelp::Prepare(const QString &method, const void *callingWindow)
{
    if (!CHMFile.endsWith(QStringLiteral("chm"), Qt::CaseInsensitive)) {
        Tell(QStringLiteral("%1 is not a valid HTML Help file.").arg(CHMFile));
        return QString();
    }
    if (HHShowOnTop && !callingWindow) {
        Tell(QStringLiteral("The %1 method was called ").arg(method) +
             QStringLiteral("without a form being specified, while HHShowOnTop ") + QStringLiteral("was set to True."));
        return QString();
    }
    const QString path = EnsureFileExists(CHMFile);
    return path.isEmpty() ? QString() : CollectionFor(path);
}

bool HTMLHelp::HHDisplayContents(const void *callingWindow)
{
    const QString collection = Prepare(QStringLiteral("HHDisplayContents"), callingWindow);
    if (collection.isEmpty())
        return false;
    const bool shown = viewer_.OpenContents(collection, HHWindow);
    wndHandle_ = viewer_.WindowHandle();
    return shown;
}

bool HTMLHelp::HHDisplayIndex(const void *callingWindow)
{
    const QString collection = Prepare(QStringLiteral("HHDisplayIndex"), callingWindow);
    if (collection.isEmpty())
        return false;
    const bool shown = viewer_.OpenIndex(collection, HHWindow);
    wndHandle_ = viewer_.WindowHandle();
    return shown;
}

bool HTMLHelp::HHDisplayKeyword(const void *callingWindow)
{
    const QString collection = Prepare(QStringLiteral("HHDisplayKeyword"), callingWindow);
    if (collection.isEmpty())
        return false;
    bool shown = viewer_.OpenKeyword(collection, HHKeyword, HHWindow);
    if (!shown && !HHDefaultURL.isEmpty())
        shown = viewer_.OpenTopic(collection, HHDefaultURL, HHWindow);
    if (!shown) {
        // Not found and no page to fall back on: the contents, and the
        // caller's message when it gave one.
        viewer_.OpenContents(collection, HHWindow);
        if (!HHMsgText.isEmpty())
            ui_.Message(HHMsgText, MessageIcon::Information, HHMsgTitle.isEmpty() ? kMessageTitle : HHMsgTitle);
    }
    wndHandle_ = viewer_.WindowHandle();
    return shown;
}

bool HTMLHelp::HHDisplayTopicURL(const void *callingWindow)
{
    const QString collection = Prepare(QStringLiteral("HHDisplayTopicURL"), callingWindow);
    if (collection.isEmpty())
        return false;
    const bool shown = viewer_.OpenTopic(collection, HHTopicURL, HHWindow);
    wndHandle_ = viewer_.WindowHandle();
    return shown;
}

bool HTMLHelp::HHDisplayTopicID(const void *callingWindow)
{
    const QString collection = Prepare(QStringLiteral("HHDisplayTopicID"), callingWindow);
    if (collection.isEmpty())
        return false;
    const bool shown = viewer_.OpenIdentifier(collection, QStringLiteral("context-%1").arg(HHTopicID), HHWindow);
    wndHandle_ = viewer_.WindowHandle();
    return shown;
}

void HTMLHelp::HHClose()
{
    viewer_.CloseAll();
    wndHandle_ = 0;
}

}  // namespace pellimore
