#include "ui/program_arguments.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QFileInfo>
#include <QStringList>
#include <cstdio>

namespace corvath::ui {

namespace {

const QCommandLineOption kHelp({"h", "help"}, "Shows this help and ends.");
const QCommandLineOption kVersion({"v", "version"}, "Shows the version and ends.");

void Describe(QCommandLineParser& parser)
{
    parser.setApplicationDescription(
        "Rips audio CDs and converts audio files. With a disc image, opens it as File > Open "
        "Disc Image does; when Corvath runs already, that one comes to the front and opens it.");
    parser.addOption(kHelp);
    parser.addOption(kVersion);
    parser.addPositionalArgument("image", "A disc image (.cue, .toc, .nrg). One at most.",
                                 "[image]");
}

void Print(std::FILE* stream, const QString& text)
{
    std::fputs(text.toLocal8Bit().constData(), stream);
}

} // namespace

bool AnswerHelpOrVersion(int argc, char* argv[])
{
    QStringList arguments;
    for (int i = 0; i < argc; ++i)
        arguments.append(QString::fromLocal8Bit(argv[i]));
    QCommandLineParser parser;
    Describe(parser);
    // Qt's own options are unknown here; only these two count.
    parser.parse(arguments);
    if (parser.isSet(kVersion)) {
        Print(stdout, QCoreApplication::applicationName() + ' ' +
                          QCoreApplication::applicationVersion() + '\n');
        return true;
    }
    if (!parser.isSet(kHelp))
        return false;
    // The usage line names the program as it was started.
    const QCoreApplication application(argc, argv);
    Print(stdout, parser.helpText());
    return true;
}

std::optional<QString> DiscImageArgument()
{
    QCommandLineParser parser;
    Describe(parser);
    if (!parser.parse(QCoreApplication::arguments())) {
        Print(stderr, parser.errorText() + "\nSee " + QCoreApplication::arguments().constFirst() +
                          " --help.\n");
        return std::nullopt;
    }
    const QStringList images = parser.positionalArguments();
    if (images.size() > 1) {
        Print(stderr, "Give one disc image at a time.\n");
        return std::nullopt;
    }
    // A running instance that takes it over works in another folder.
    return images.isEmpty() ? QString() : QFileInfo(images.constFirst()).absoluteFilePath();
}

} // namespace corvath::ui
