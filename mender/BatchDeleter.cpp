#include "BatchDeleter.h"

#include "Files.h"

namespace modMender {

void BatchDeleter::Delete(std::vector<std::string> paths)
{
    failures_ = Wait();
    thread_ = std::thread([this, paths = std::move(paths)] {
        for (const std::string& path : paths) {
            if (!FileExists(path)) continue;
            if (IoStatus s = DeleteFile(path); !s) threadFailures_.push_back({path, s.Description()});
        }
    });
}

std::vector<BatchDeleter::Failure> BatchDeleter::Wait()
{
    if (thread_.joinable()) thread_.join();
    std::vector<Failure> failures = std::exchange(failures_, {});
    for (Failure& f : threadFailures_) failures.push_back(std::move(f));
    threadFailures_.clear();
    return failures;
}

}  // namespace modMender
