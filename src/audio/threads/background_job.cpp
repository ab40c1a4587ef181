#include "audio/threads/background_job.h"

#include <utility>

namespace corvath {

namespace {

void PostJobMessage(MessageTarget& target, JobMessage message)
{
    target.Post(message.message, message.wParam, 0, std::move(message.payload));
}

} // namespace

BackgroundJob::BackgroundJob(Work work, Failed failed, MessageTarget& messages)
    : worker_(
          messages,
          [work = std::move(work)](std::stop_token stop, MessageTarget& target) {
              PostJobMessage(target, work(stop));
          },
          [failed = std::move(failed)](const std::exception& error, MessageTarget& target) {
              PostJobMessage(target, failed(error));
          })
{
}

void BackgroundJob::Abandon()
{
    worker_.Abandon();
}

} // namespace corvath
