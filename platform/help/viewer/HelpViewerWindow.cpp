#include "platform/help/viewer/HelpViewerWindow.h"

#include <QCloseEvent>
#include <QDesktopServices>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFileInfo>
#include <QHelpContentWidget>
#include <QHelpEngine>
#include <QHelpIndexWidget>
#include <QHelpLink>
#include <QLabel>
#include <QLineEdit>
#include <QSplitter>
#include <QTabWidget>
#include <QTextBrowser>
#include <QTimer>
#include <QVBoxLayout>

namespace pellimore {

namespace {

const QSize kDefaultSize(900, 640);
const QString kTitle = QStringLiteral("Wallpaper Pellimore Help");

// A page browser that reads qthelp: addresses from the engine and hands web
// addresses to the desktop's browser.
class HelpPage final : public QTextBrowser {
public:
    HelpPage(QWidget *parent, const std::unique_ptr<QHelpEngine> &engine) : QTextBrowser(parent), engine_(engine)
    {
        setOpenLinks(false);
        connect(this, &QTextBrowser::anchorClicked, this, [this](const QUrl &url) {
            if (url.scheme() == QLatin1String("qthelp") || url.isRelative())
                setSource(source().resolved(url));
            else
                QDesktopServices::openUrl(url);
        });
    }

    QVariant loadResource(int type, const QUrl &name) override
    {
        // Style sheets and pictures come with names relative to the page
        // being loaded.
        const QUrl url = name.isRelative() ? loading_.resolved(name) : name;
        if (engine_ && url.scheme() == QLatin1String("qthelp"))
            return engine_->fileData(url);
        return QTextBrowser::loadResource(type, name);
    }

protected:
    void doSetSource(const QUrl &name, QTextDocument::ResourceType type) override
    {
        loading_ = name;
        QTextBrowser::doSetSource(name, type);
    }

private:
    const std::unique_ptr<QHelpEngine> &engine_;
    QUrl loading_;
};

}  // namespace

HelpViewerWindow::HelpViewerWindow(QWidget *parent) : QWidget(parent, Qt::Window)
{
    setObjectName(QStringLiteral("frmHelpViewer"));
    setWindowTitle(kTitle);
    tabs_ = new QTabWidget(this);
    tabs_->setObjectName(QStringLiteral("tabHelp"));
    indexPage_ = new QWidget(tabs_);
    auto *indexLayout = new QVBoxLayout(indexPage_);
    auto *lblLookFor = new QLabel(QStringLiteral("&Type in the keyword to find:"), indexPage_);
    indexLayout->addWidget(lblLookFor);
    txtLookFor_ = new QLineEdit(indexPage_);
    lblLookFor->setBuddy(txtLookFor_);
    txtLookFor_->setObjectName(QStringLiteral("txtLookFor"));
    indexLayout->addWidget(txtLookFor_);
    page_ = new HelpPage(this, engine_);
    page_->setObjectName(QStringLiteral("txtPage"));
    auto *splitter = new QSplitter(this);
    splitter->addWidget(tabs_);
    splitter->addWidget(page_);
    splitter->setStretchFactor(1, 3);
    splitter->setSizes({260, 640});
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(4, 4, 4, 4);
    layout->addWidget(splitter);
    connect(txtLookFor_, &QLineEdit::textChanged, this, [this](const QString &text) {
        if (index_)
            index_->filterIndices(text);
    });
    connect(txtLookFor_, &QLineEdit::returnPressed, this, [this] {
        if (index_)
            index_->activateCurrentItem();
    });
    // source() is still the page before while this signal runs.
    connect(page_, &QTextBrowser::sourceChanged, this, [this](const QUrl &shown) {
        const QString title = page_->documentTitle();
        setWindowTitle(title.isEmpty() ? kTitle : title + QStringLiteral(" - ") + kTitle);
        ShowInContents(shown);
    });
}

HelpViewerWindow::~HelpViewerWindow()
{
    delete contents_;
    delete index_;
}

bool HelpViewerWindow::UseCollection(const QString &collection)
{
    const QString path = QFileInfo(collection).absoluteFilePath();
    if (engine_ && path == collection_)
        return true;
    delete contents_;
    delete index_;
    page_->clear();
    engine_.reset();
    collection_.clear();
    auto engine = std::make_unique<QHelpEngine>(path);
    engine->setReadOnly(true);  // an installed manual lies in a folder the user cannot write
    if (!engine->setupData() || engine->registeredDocumentations().isEmpty())
        return false;
    engine_ = std::move(engine);
    collection_ = path;
    contents_ = engine_->contentWidget();
    contents_->setObjectName(QStringLiteral("treContents"));
    index_ = engine_->indexWidget();
    index_->setObjectName(QStringLiteral("lstIndex"));
    tabs_->clear();
    tabs_->addTab(contents_, QStringLiteral("&Contents"));
    static_cast<QVBoxLayout *>(indexPage_->layout())->addWidget(index_);
    tabs_->addTab(indexPage_, QStringLiteral("I&ndex"));
    connect(contents_, &QHelpContentWidget::linkActivated, page_, [this](const QUrl &url) { page_->setSource(url); });
    connect(index_, &QHelpIndexWidget::documentActivated, page_,
            [this](const QHelpLink &link, const QString &) { page_->setSource(link.url); });
    connect(index_, &QHelpIndexWidget::documentsActivated, page_, [this](const QList<QHelpLink> &links, const QString &) {
        if (!links.isEmpty())
            page_->setSource(links.first().url);
    });
    connect(engine_->contentModel(), &QHelpContentModel::contentsCreated, contents_, [this] {
        contents_->expandAll();
        ShowInContents(page_->source());
    });
    engine_->contentModel()->createContents(QString());
    engine_->indexModel()->createIndex(QString());
    return true;
}

QUrl HelpViewerWindow::ContentsRoot()
{
    QHelpContentModel *model = engine_->contentModel();
    if (model->isCreatingContents() || model->rowCount() == 0) {
        // The table is built on a thread of the engine's; it takes a moment.
        QEventLoop wait;
        connect(model, &QHelpContentModel::contentsCreated, &wait, &QEventLoop::quit);
        QTimer::singleShot(5000, &wait, &QEventLoop::quit);
        if (model->isCreatingContents() || model->rowCount() == 0)
            wait.exec();
    }
    if (model->rowCount() == 0)
        return QUrl();
    const QHelpContentItem *item = model->contentItemAt(model->index(0, 0));
    return item ? item->url() : QUrl();
}

void HelpViewerWindow::ShowPage(const QUrl &url, const QString &windowType, int tab)
{
    if (!isVisible()) {
        windowType_ = windowType;
        resize(sizes_.value(windowType, kDefaultSize));
    }
    page_->setSource(url);
    tabs_->setCurrentIndex(tab);
    if (tab == 1)
        txtLookFor_->setFocus();
    show();
    if (isMinimized())
        showNormal();
    raise();
    activateWindow();
}

bool HelpViewerWindow::OpenContents(const QString &collection, const QString &windowType)
{
    if (!UseCollection(collection))
        return false;
    const QUrl root = ContentsRoot();
    if (root.isEmpty())
        return false;
    ShowPage(root, windowType, 0);
    return true;
}

bool HelpViewerWindow::OpenIndex(const QString &collection, const QString &windowType)
{
    if (!UseCollection(collection))
        return false;
    const QUrl root = page_->source().isEmpty() ? ContentsRoot() : page_->source();
    ShowPage(root, windowType, 1);
    return true;
}

bool HelpViewerWindow::OpenTopic(const QString &collection, const QString &topic, const QString &windowType)
{
    if (!UseCollection(collection))
        return false;
    const QString file = topic.section(QLatin1Char('#'), 0, 0);
    const QString anchor = topic.section(QLatin1Char('#'), 1);
    for (const QString &space : engine_->registeredDocumentations()) {
        for (const QUrl &url : engine_->files(space, QString())) {
            if (url.path().endsWith(QLatin1Char('/') + file)) {
                QUrl target = url;
                if (!anchor.isEmpty())
                    target.setFragment(anchor);
                ShowPage(target, windowType, 0);
                return true;
            }
        }
    }
    return false;
}

bool HelpViewerWindow::OpenIdentifier(const QString &collection, const QString &identifier, const QString &windowType)
{
    if (!UseCollection(collection))
        return false;
    const QList<QHelpLink> links = engine_->documentsForIdentifier(identifier);
    if (links.isEmpty())
        return false;
    ShowPage(links.first().url, windowType, 0);
    return true;
}

bool HelpViewerWindow::OpenKeyword(const QString &collection, const QString &keywords, const QString &windowType)
{
    if (!UseCollection(collection))
        return false;
    for (const QString &keyword : keywords.split(QLatin1Char(';'), Qt::SkipEmptyParts)) {
        const QList<QHelpLink> links = engine_->documentsForKeyword(keyword.trimmed());
        if (!links.isEmpty()) {
            ShowPage(links.first().url, windowType, 0);
            return true;
        }
    }
    return false;
}

void HelpViewerWindow::CloseAll()
{
    if (isVisible())
        close();
}

quintptr HelpViewerWindow::WindowHandle() const { return isVisible() ? quintptr(winId()) : 0; }

QUrl HelpViewerWindow::CurrentPage() const { return page_->source(); }

QString HelpViewerWindow::CurrentTitle() const { return page_->documentTitle(); }

void HelpViewerWindow::ShowInContents(QUrl page)
{
    if (!contents_)
        return;
    page.setFragment(QString());
    const QModelIndex at = contents_->indexOf(page);
    if (at.isValid())
        contents_->setCurrentIndex(at);
    else
        contents_->clearSelection();
}

void HelpViewerWindow::RememberSize()
{
    if (isVisible())
        sizes_.insert(windowType_, size());
}

void HelpViewerWindow::closeEvent(QCloseEvent *event)
{
    RememberSize();
    QWidget::closeEvent(event);
}

}  // namespace pellimore
