#pragma once

#include <QHash>
#include <QPointer>
#include <QSize>
#include <QUrl>
#include <QWidget>

#include <memory>

#include "platform/help/HTMLHelp.h"

class QHelpContentWidget;
class QHelpEngine;
class QHelpIndexWidget;
class QLineEdit;
class QTabWidget;
class QTextBrowser;

namespace pellimore {

// The help viewer: the manual's contents and index on the left, the page on
// the right, over one Qt Help collection at a time. The window type names
// the viewer's size; each type keeps the size the user last gave it.
class HelpViewerWindow final : public QWidget, public HelpViewer {
    Q_OBJECT
public:
    explicit HelpViewerWindow(QWidget *parent = nullptr);
    ~HelpViewerWindow() override;

    bool OpenContents(const QString &collection, const QString &windowType) override;
    bool OpenIndex(const QString &collection, const QString &windowType) override;
    bool OpenTopic(const QString &collection, const QString &topic, const QString &windowType) override;
    bool OpenIdentifier(const QString &collection, const QString &identifier, const QString &windowType) override;
    bool OpenKeyword(const QString &collection, const QString &keywords, const QString &windowType) override;
    void CloseAll() override;
    quintptr WindowHandle() const override;

    // The page shown (a qthelp: address), and its title.
    QUrl CurrentPage() const;
    QString CurrentTitle() const;

protected:
    void closeEvent(QCloseEvent *event) override;

private:
    // Opens the collection unless it is the one open; false when unreadable.
    bool UseCollection(const QString &collection);
    // The contents' first entry once the table is built.
    QUrl ContentsRoot();
    void ShowPage(const QUrl &url, const QString &windowType, int tab);
    // The page shown is the selected entry of the contents, when it is one.
    void ShowInContents(QUrl page);
    void RememberSize();

    std::unique_ptr<QHelpEngine> engine_;
    QString collection_;
    QPointer<QHelpContentWidget> contents_;
    QPointer<QHelpIndexWidget> index_;
    QTabWidget *tabs_ = nullptr;
    QWidget *indexPage_ = nullptr;
    QLineEdit *txtLookFor_ = nullptr;
    QTextBrowser *page_ = nullptr;
    QHash<QString, QSize> sizes_;
    QString windowType_;
};

}  // namespace pellimore
