#include "SalvageHarness.h"

#include "platform/Utf.h"

#include <algorithm>
#include <fstream>
#include <gtest/gtest.h>
#include <sstream>

namespace vantrel::testing {

using namespace std::chrono_literals;

std::size_t HarnessResult::Count(std::uint32_t message) const {
    return static_cast<std::size_t>(
        std::count_if(requests.begin(), requests.end(),
                      [message](const SeenRequest& r) { return r.message == message; }));
}

HarnessResult
RunScripted(SalvageJob& job, ScriptedAnswers answers, ResultNode* recordNode,
            const std::function<void(TreeItemRecord&, const SeenRequest&)>& onRequest) {
    HarnessResult result;
    RequestQueue queue;
    TreeItemRecord record(&queue, &queue);
    record.SetNode(recordNode);
    EXPECT_TRUE(StartSalvage(record, job));
    for (;;) {
        UiRequest* request = queue.Take(20ms);
        if (!request) {
            if (!record.WorkerRunning() && queue.Size() == 0)
                break;
            continue;
        }
        SeenRequest seen;
        seen.message = request->Message();
        seen.value = request->value;
        seen.pointer = request->pointer;
        seen.text = request->text;
        seen.strings = request->strings;
        if (seen.message == msg::kSalvageRecovered && !request->integers.empty())
            seen.recoveredCount = static_cast<std::size_t>(request->integers[0]);
        if (seen.message == msg::kLogLine && seen.strings.size() == 2)
            result.logTexts.push_back(ToUtf8(seen.strings[1]));
        std::deque<int>* script = nullptr;
        if (seen.message == msg::kAskOverwrite)
            script = &answers.overwrite;
        else if (seen.message == msg::kAskSizeLimit)
            script = &answers.sizeLimit;
        else if (seen.message == msg::kAskContinueAfterFailure)
            script = &answers.failure;
        if (script) {
            result.questions.push_back(seen.message);
            EXPECT_EQ(request->Answer(), msg::kAnswerNone) << "answer slot not preset to -1";
            if (script->empty()) {
                result.unexpectedQuestion = true;
            } else {
                request->SetAnswer(script->front());
                script->pop_front();
            }
        }
        if (onRequest)
            onRequest(record, seen);
        result.requests.push_back(std::move(seen));
        UiRequest::CompleteAll(request);
    }
    result.exitCode = record.JoinWorker();
    result.jobState = record.GetJobState();
    return result;
}

std::unique_ptr<FileEntry> MemoryFile(const std::u16string& name, const std::string& bytes) {
    auto entry = std::make_unique<FileEntry>();
    entry->name = name;
    entry->size = bytes.size();
    entry->residentData = std::vector<std::uint8_t>(bytes.begin(), bytes.end());
    entry->condition = bytes.empty() ? 0 : 2;
    return entry;
}

std::unique_ptr<FileEntry> UnreadableFile(const std::u16string& name, std::uint64_t size) {
    auto entry = std::make_unique<FileEntry>();
    entry->name = name;
    entry->size = size;
    entry->condition = 6;
    return entry;
}

std::string ReadWholeFile(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream bytes;
    bytes << in.rdbuf();
    return bytes.str();
}

void WriteWholeFile(const std::filesystem::path& path, const std::string& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out << bytes;
}

std::vector<std::string> ListFiles(const std::filesystem::path& folder) {
    std::vector<std::string> files;
    for (const auto& item : std::filesystem::recursive_directory_iterator(folder))
        if (!item.is_directory())
            files.push_back(item.path().lexically_relative(folder).generic_string());
    std::sort(files.begin(), files.end());
    return files;
}

} // namespace vantrel::testing
