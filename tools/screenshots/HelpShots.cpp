// The help viewer's states for the screenshots tool: the quick start the
// first run opens, the contents, the index while the user types, and the
// screen saver set-up page.
#include <QCoreApplication>
#include <QLineEdit>

#include "tools/screenshots/Shooter.h"

#ifdef PELLIMORE_HELP_VIEWER
#include "platform/help/viewer/HelpViewerWindow.h"
#endif

void ShootHelpViewer(Shooter &shoot)
{
#ifdef PELLIMORE_HELP_VIEWER
    using pellimore::HelpViewerWindow;
    const QString collection = QCoreApplication::applicationDirPath() + QStringLiteral("/help/WP.qhc");
    const QString size = QStringLiteral("Size");
    HelpViewerWindow viewer;
    if (!viewer.OpenKeyword(collection, QStringLiteral("quick"), size)) {
        QTextStream(stderr) << "screenshots: no help collection at " << collection << "\n";
        return;
    }
    shoot.Save(viewer, QStringLiteral("help-quick"));
    viewer.OpenContents(collection, size);
    shoot.Save(viewer, QStringLiteral("help-contents"));
    viewer.OpenTopic(collection, QStringLiteral("ss-setup.htm"), size);
    shoot.Save(viewer, QStringLiteral("help-ss-setup"));
    viewer.OpenIndex(collection, size);
    Settle(500);
    if (auto *lookFor = viewer.findChild<QLineEdit *>(QStringLiteral("txtLookFor")))
        lookFor->setText(QStringLiteral("S"));
    shoot.Save(viewer, QStringLiteral("help-index"));
    viewer.CloseAll();
#else
    (void)shoot;
#endif
}
