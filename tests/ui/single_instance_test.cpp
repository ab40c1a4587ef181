#include "platform/files/unique_fd.h"
#include "program_process.h"
#include "ui/single_instance.h"

#include <QLocalSocket>
#include <QSignalSpy>
#include <cstring>
#include <filesystem>
#include <future>
#include <gtest/gtest.h>
#include <sys/socket.h>
#include <sys/un.h>

namespace corvath::ui {
namespace {

using test::kProcessTimeoutMs;
using SingleInstanceTest = test::ProgramProcessTest;

// The hand-over waits for the server's answer: from a thread of its own, while the server of
// this process takes it in the test's event loop.
std::future<bool> HandOverFromAnotherStart(const QString& discImage = QString())
{
    return std::async(std::launch::async,
                      [discImage] { return HandOverToRunningInstance(discImage); });
}

TEST_F(SingleInstanceTest, SecondStartOfTheProgramHandsOverAndEnds)
{
    InstanceServer first;
    ASSERT_TRUE(first.IsListening());
    QSignalSpy activations(&first, &InstanceServer::activationRequested);
    QSignalSpy images(&first, &InstanceServer::discImageRequested);

    const auto second = Start(BuiltProgram());
    QSignalSpy finished(second.get(), &QProcess::finished);
    ASSERT_TRUE(finished.wait(kProcessTimeoutMs)) << "the second start kept running";
    EXPECT_EQ(second->exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(second->exitCode(), 0);
    EXPECT_EQ(activations.count(), 1);
    EXPECT_EQ(images.count(), 0);
}

TEST_F(SingleInstanceTest, ProgramStartedFirstKeepsRunningWhileALaterStartEnds)
{
    const auto first = Start(CopyOfProgram());
    ASSERT_TRUE(first->waitForStarted(kProcessTimeoutMs));
    ASSERT_TRUE(test::AnswersWithin(InstanceServerName(), kProcessTimeoutMs))
        << first->readAllStandardError().toStdString();

    const auto second = Start(BuiltProgram());
    ASSERT_TRUE(second->waitForFinished(kProcessTimeoutMs)) << "the second start kept running";
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
    std::future<bool> handedOver = HandOverFromAnotherStart();
    EXPECT_TRUE(activations.wait(kProcessTimeoutMs));
    EXPECT_TRUE(handedOver.get());
}

TEST_F(SingleInstanceTest, InstanceStartingAtTheSameMomentLeavesTheRunningOneAlone)
{
    InstanceServer first;
    ASSERT_TRUE(first.IsListening());
    InstanceServer latecomer;
    EXPECT_FALSE(latecomer.IsListening());

    QSignalSpy activations(&first, &InstanceServer::activationRequested);
    std::future<bool> handedOver = HandOverFromAnotherStart();
    EXPECT_TRUE(activations.wait(kProcessTimeoutMs));
    EXPECT_TRUE(handedOver.get());
}

// Any path survives the trip: spaces, URL characters, a line break.
TEST_F(SingleInstanceTest, DiscImageComesWithTheActivation)
{
    InstanceServer server;
    ASSERT_TRUE(server.IsListening());
    QSignalSpy activations(&server, &InstanceServer::activationRequested);
    QSignalSpy images(&server, &InstanceServer::discImageRequested);

    const QString image = "/music/a disc #1?%20&\nmore/Ünïcode.cue";
    std::future<bool> handedOver = HandOverFromAnotherStart(image);
    ASSERT_TRUE(images.wait(kProcessTimeoutMs));
    EXPECT_TRUE(handedOver.get());
    EXPECT_EQ(activations.count(), 1);
    ASSERT_EQ(images.count(), 1);
    EXPECT_EQ(images.at(0).at(0).toString(), image);
}

TEST_F(SingleInstanceTest, InstanceThatDoesNotAnswerIsNotHandedOver)
{
    // Listens but never reads: a hung instance, or something else on the name.
    QLocalServer silent;
    ASSERT_TRUE(silent.listen(InstanceServerName()));
    EXPECT_FALSE(HandOverFromAnotherStart().get());
}

TEST_F(SingleInstanceTest, OnlyTheActivationMessageCountsAndOnlyAbsoluteImages)
{
    InstanceServer server;
    ASSERT_TRUE(server.IsListening());
    QSignalSpy activations(&server, &InstanceServer::activationRequested);
    QSignalSpy images(&server, &InstanceServer::discImageRequested);

    // The lines arrive together and are read in one go.
    QLocalSocket stranger;
    stranger.connectToServer(InstanceServerName());
    ASSERT_TRUE(stranger.waitForConnected(kProcessTimeoutMs));
    stranger.write("hello\nopen disc.cue\nopen http://host/disc.cue\n0x853\n");
    ASSERT_TRUE(stranger.waitForBytesWritten(kProcessTimeoutMs));
    ASSERT_TRUE(activations.wait(kProcessTimeoutMs));
    EXPECT_EQ(activations.count(), 1);
    EXPECT_EQ(images.count(), 0);

    // A line longer than any request ends the talk.
    QSignalSpy disconnected(&stranger, &QLocalSocket::disconnected);
    stranger.write(QByteArray(64 * 1024, 'x'));
    ASSERT_TRUE(disconnected.wait(kProcessTimeoutMs));
    EXPECT_EQ(activations.count(), 1);
}

} // namespace
} // namespace corvath::ui
