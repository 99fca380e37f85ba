// For a build whose Qt has no way between two processes (no Network
// module): the running copy cannot be reached, and a later start only ends.
#include "platform/RunningCopyChannel.h"

namespace {

class UnreachableChannel : public RunningCopyChannel {
public:
    bool listen(std::function<void()>) override { return false; }
    bool askToShow() override { return false; }
};

} // namespace

std::unique_ptr<RunningCopyChannel> makeRunningCopyChannel(const QString &)
{
    return std::make_unique<UnreachableChannel>();
}
