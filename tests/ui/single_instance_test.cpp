#include "platform/files/program_folder.h"
#include "platform/files/unique_fd.h"
#include "support/temp_dir.h"
#include "ui/single_instance.h"

#include <QDeadlineTimer>
#include <QLocalSocket>
#include <QProcess>
#include <QSignalSpy>
#include <QTest>
#include <cstring>
#include <filesystem>
#include <gtest/gtest.h>
#include <memory>
#include <sys/socket.h>
#include <sys/un.h>

namespace corvath::ui {
namespace {

// Generous: the sanitizer build starts the program slowly.
constexpr int kTimeoutMs = 15000;

// Qt keeps local sockets in TMPDIR: each test points it at a folder of its own, for itself and
// the programs it starts, so the tests meet neither a running Corvath nor each other.
class SingleInstanceTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        savedTmpDir_ = qgetenv("TMPDIR");
        qputenv("TMPDIR", QByteArray::fromStdString(dir_.path().string()));
    }

    void TearDown() override
    {
        if (savedTmpDir_.isNull())
            qunsetenv("TMPDIR");
        else
            qputenv("TMPDIR", savedTmpDir_);
    }

    // Starts a program without a screen; its settings stay in its own folder.
    std::unique_ptr<QProcess> Start(const std::filesystem::path& program)
    {
        auto process = std::make_unique<QProcess>();
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert("QT_QPA_PLATFORM", "offscreen");
        environment.insert("TMPDIR", QString::fromStdString(dir_.path().string()));
        process->setProcessEnvironment(environment);
        process->setProgram(QString::fromStdString(program.string()));
        process->start();
        return process;
    }

    // A copy of the program in a folder of its own, so that its settings land there and not
    // beside the built program.
    std::filesystem::path CopyOfProgram()
    {
        const std::filesystem::path built = ProgramFolder();
        const std::filesystem::path folder = dir_ / "program";
        std::filesystem::create_directory(folder);
        std::filesystem::copy_file(built / "corvath", folder / "corvath");
        if (std::filesystem::exists(built / "libcorvath-ape.so"))
            std::filesystem::copy_file(built / "libcorvath-ape.so", folder / "libcorvath-ape.so");
        return folder / "corvath";
    }

    static bool Ends(QProcess& process)
    {
        return process.state() == QProcess::NotRunning || process.waitForFinished(kTimeoutMs);
    }

    test::TempDir dir_;
    QByteArray savedTmpDir_;
};

// Polls: the other process gives no sign of its own when it starts listening.
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

TEST_F(SingleInstanceTest, SecondStartOfTheProgramHandsOverAndEnds)
{
    InstanceServer first;
    ASSERT_TRUE(first.IsListening());
    QSignalSpy activations(&first, &InstanceServer::activationRequested);

    const auto second = Start(std::filesystem::path(ProgramFolder()) / "corvath");
    QSignalSpy finished(second.get(), &QProcess::finished);
    ASSERT_TRUE(finished.wait(kTimeoutMs)) << "the second start kept running";
    EXPECT_EQ(second->exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(second->exitCode(), 0);
    ASSERT_TRUE(activations.count() == 1 || activations.wait(kTimeoutMs));
    EXPECT_EQ(activations.count(), 1);
}

TEST_F(SingleInstanceTest, ProgramStartedFirstKeepsRunningWhileALaterStartEnds)
{
    const auto first = Start(CopyOfProgram());
    ASSERT_TRUE(first->waitForStarted(kTimeoutMs));
    ASSERT_TRUE(AnswersWithin(InstanceServerName(), kTimeoutMs))
        << first->readAllStandardError().toStdString();

    const auto second = Start(std::filesystem::path(ProgramFolder()) / "corvath");
    ASSERT_TRUE(second->waitForFinished(kTimeoutMs)) << "the second start kept running";
    EXPECT_EQ(second->exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(second->exitCode(), 0);
    // The first took the request and is still there.
    EXPECT_FALSE(first->waitForFinished(200));
    EXPECT_EQ(first->state(), QProcess::Running);

    first->kill();
    EXPECT_TRUE(Ends(*first));
}

TEST_F(SingleInstanceTest, SocketLeftByACrashedInstanceIsTakenOver)
{
    // What a crash leaves: the socket file with nobody listening behind it.
    const std::string path = (dir_ / InstanceServerName().toStdString()).string();
    {
        UniqueFd socket(::socket(AF_UNIX, SOCK_STREAM, 0));
        sockaddr_un address{};
        address.sun_family = AF_UNIX;
        ASSERT_LT(path.size(), sizeof address.sun_path);
        std::memcpy(address.sun_path, path.c_str(), path.size());
        ASSERT_EQ(::bind(socket.get(), reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
    }
    ASSERT_TRUE(std::filesystem::exists(path));
    EXPECT_FALSE(HandOverToRunningInstance());

    InstanceServer server;
    ASSERT_TRUE(server.IsListening());
    QSignalSpy activations(&server, &InstanceServer::activationRequested);
    EXPECT_TRUE(HandOverToRunningInstance());
    EXPECT_TRUE(activations.wait(kTimeoutMs));
}

TEST_F(SingleInstanceTest, InstanceStartingAtTheSameMomentLeavesTheRunningOneAlone)
{
    InstanceServer first;
    ASSERT_TRUE(first.IsListening());
    InstanceServer latecomer;
    EXPECT_FALSE(latecomer.IsListening());

    QSignalSpy activations(&first, &InstanceServer::activationRequested);
    EXPECT_TRUE(HandOverToRunningInstance());
    EXPECT_TRUE(activations.wait(kTimeoutMs));
}

TEST_F(SingleInstanceTest, OnlyTheActivationMessageCounts)
{
    InstanceServer server;
    ASSERT_TRUE(server.IsListening());
    QSignalSpy activations(&server, &InstanceServer::activationRequested);

    // Both lines arrive together and are read in one go.
    QLocalSocket stranger;
    stranger.connectToServer(InstanceServerName());
    ASSERT_TRUE(stranger.waitForConnected(kTimeoutMs));
    stranger.write("hello\n0x853\n");
    ASSERT_TRUE(stranger.waitForBytesWritten(kTimeoutMs));
    ASSERT_TRUE(activations.wait(kTimeoutMs));
    EXPECT_EQ(activations.count(), 1);
}

} // namespace
} // namespace corvath::ui
