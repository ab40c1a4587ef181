#include "program_process.h"

#include "platform/files/program_folder.h"

#include <QDeadlineTimer>
#include <QLocalSocket>
#include <QProcessEnvironment>
#include <QTest>

namespace corvath::ui::test {

void ProgramProcessTest::SetUp()
{
    savedTmpDir_ = qgetenv("TMPDIR");
    qputenv("TMPDIR", QByteArray::fromStdString(dir_.path().string()));
}

void ProgramProcessTest::TearDown()
{
    if (savedTmpDir_.isNull())
        qunsetenv("TMPDIR");
    else
        qputenv("TMPDIR", savedTmpDir_);
}

std::unique_ptr<QProcess> ProgramProcessTest::Start(const std::filesystem::path& program,
                                                    const QStringList& arguments,
                                                    const std::filesystem::path& folder)
{
    auto process = std::make_unique<QProcess>();
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert("QT_QPA_PLATFORM", "offscreen");
    environment.insert("TMPDIR", QString::fromStdString(dir_.path().string()));
    process->setProcessEnvironment(environment);
    process->setProgram(QString::fromStdString(program.string()));
    process->setArguments(arguments);
    if (!folder.empty())
        process->setWorkingDirectory(QString::fromStdString(folder.string()));
    process->start();
    return process;
}

std::filesystem::path ProgramProcessTest::CopyOfProgram(const std::string& folderName)
{
    const std::filesystem::path built = ProgramFolder();
    const std::filesystem::path folder = dir_ / folderName;
    std::filesystem::create_directory(folder);
    std::filesystem::copy_file(built / "corvath", folder / "corvath");
    if (std::filesystem::exists(built / "libcorvath-ape.so"))
        std::filesystem::copy_file(built / "libcorvath-ape.so", folder / "libcorvath-ape.so");
    return folder / "corvath";
}

std::filesystem::path ProgramProcessTest::BuiltProgram()
{
    return std::filesystem::path(ProgramFolder()) / "corvath";
}

bool ProgramProcessTest::Ends(QProcess& process)
{
    return process.state() == QProcess::NotRunning || process.waitForFinished(kProcessTimeoutMs);
}

bool AnswersWithin(const QString& serverName, int timeoutMs)
{
    const QDeadlineTimer deadline(timeoutMs);
    while (!deadline.hasExpired()) {
        QLocalSocket probe;
        probe.connectToServer(serverName);
        if (probe.waitForConnected(100))
            return true;
        QTest::qWait(20);
    }
    return false;
}

} // namespace corvath::ui::test
