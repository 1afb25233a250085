// wptool: the developers' command-line tool. Each subcommand lives in a file of
// its own and is listed in kCommands.
#include <QCoreApplication>
#include <QGuiApplication>
#include <QTextStream>

#include <cstdio>
#include <iterator>

#include "tools/wptool/Commands.h"

namespace {

const WptoolCommandEntry kCommands[] = {
    // {"name", "usage", &Function},
    {"decode", "IN OUT.pam", &DecodeCommand},
    {"bmp", "IN OUT.bmp", &BmpCommand},
    {"gradient", "KIND W H START END [--reverse] [--to-center] [--back COLOR] OUT.pam", &GradientCommand},
    {"resize", "IN OUT.pam W H", &ResizeCommand},
    {"save", "IN OUT.(jpg|bmp|...) [QUALITY]", &SaveCommand},
    {"gif", "IN.gif", &GifCommand},
    {"gif-frame", "IN.gif N OUT.pam", &GifFrameCommand},
    {"gif-play", "IN.gif OUT-PREFIX", &GifPlayCommand},
    {"fit", "IN DW DH OUT.bmp [--style 0|1|2] [--color C]", &FitCommand},
    {"png", "IN.png OUT.pam [--style N] [--validate] [--make32]", &PngCommand},
    {"compose",
     "FRONT OUT --desktop WxH [--background FILE | --gradient KIND:START:END[:reverse][:center]] [--color C] "
     "[--orient 0-4] [--margins H,V] [--border COLOR] [--background-only] [--jpeg QUALITY]",
     &ComposeCommand, false},
    {"artwork", "OUT-PREFIX [SCALE]", &ArtworkCommand, false},
    {"icon", "OUT.png SIDE", &IconCommand, false},
};

int Usage()
{
    QTextStream err(stderr);
    err << "usage: wptool COMMAND ARGS...\n";
    for (const auto &command : kCommands)
        err << "  wptool " << command.name << " " << command.usage << "\n";
    return 2;
}

}  // namespace

int main(int argc, char **argv)
{
    // Qt takes its own options (such as --style) out of argv: keep the command line as given.
    QStringList args;
    for (int i = 0; i < argc; ++i)
        args << QString::fromLocal8Bit(argv[i]);
    if (args.size() < 2)
        return Usage();
    const QString name = args.at(1);
    for (const auto &command : kCommands) {
        if (name != QLatin1String(command.name))
            continue;
        if (!command.needsGui) {
            QCoreApplication app(argc, argv);
            return command.run(args.mid(2));
        }
        // No window is ever shown.
        if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
            qputenv("QT_QPA_PLATFORM", "offscreen");
        QGuiApplication app(argc, argv);
        return command.run(args.mid(2));
    }
    return Usage();
}
