#pragma once

// Runs a salvage job on a worker thread the way the desktop program does, with this
// thread playing the user interface: it takes every request, records it and answers
// the questions from a script.

#include "engine/request/RequestQueue.h"
#include "engine/salvage/SalvageWorker.h"
#include "engine/tree/FileEntry.h"
#include "engine/tree/ResultNode.h"

#include <cstdint>
#include <deque>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

namespace vantrel::testing {

struct SeenRequest {
    std::uint32_t message = 0;
    std::uint64_t value = 0;
    void* pointer = nullptr;
    std::u16string text;
    std::vector<std::u16string> strings;
    std::size_t recoveredCount = 0; // size of the 0x485 list when it was posted
};

struct ScriptedAnswers {
    std::deque<int> overwrite;
    std::deque<int> sizeLimit;
    std::deque<int> failure;
};

struct HarnessResult {
    int exitCode = 0;
    int jobState = 0;
    std::vector<SeenRequest> requests;
    std::vector<std::uint32_t> questions; // message numbers of the questions, in order
    bool unexpectedQuestion = false;
    std::vector<std::string> logTexts; // UTF-8 second strings of 0x474
    std::size_t Count(std::uint32_t message) const;
};

// onRequest (when set) sees each request before it is completed, e.g. to stop the job.
HarnessResult
RunScripted(SalvageJob& job, ScriptedAnswers answers, ResultNode* recordNode,
            const std::function<void(TreeItemRecord&, const SeenRequest&)>& onRequest = {});

// A file whose data is held in memory.
std::unique_ptr<FileEntry> MemoryFile(const std::u16string& name, const std::string& bytes);
// A file whose data cannot be read (no window, no data): every read fails.
std::unique_ptr<FileEntry> UnreadableFile(const std::u16string& name, std::uint64_t size);
std::string ReadWholeFile(const std::filesystem::path& path);
void WriteWholeFile(const std::filesystem::path& path, const std::string& bytes);
// Files below folder (recursively), as paths relative to it, sorted.
std::vector<std::string> ListFiles(const std::filesystem::path& folder);

} // namespace vantrel::testing
