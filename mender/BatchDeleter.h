#pragma once
// Deletes the pieces of a batch already safe in the rebuilt file on a thread
// of its own, so that the join goes on while the file system frees them (on a
// disk mounted with discard a deletion waits for the journal; 756 pieces of a
// 1 GiB set took over a second).
#include <string>
#include <thread>
#include <utility>
#include <vector>

namespace modMender {

class BatchDeleter {
public:
    struct Failure {
        std::string path;
        std::string reason;
    };

    BatchDeleter() = default;
    ~BatchDeleter() { IgnoreFailures(Wait()); }
    BatchDeleter(const BatchDeleter&) = delete;
    BatchDeleter& operator=(const BatchDeleter&) = delete;

    // Starts deleting the files (each only while it is a regular file) once
    // those given before are gone.
    void Delete(std::vector<std::string> paths);
    // Waits until every file given is deleted; those that could not be, with why.
    std::vector<Failure> Wait();

private:
    static void IgnoreFailures(const std::vector<Failure>&) {}
    std::thread thread_;
    std::vector<Failure> failures_;        // of the batches before, not yet reported
    std::vector<Failure> threadFailures_;  // written by the thread until it is joined
};

}  // namespace modMender
