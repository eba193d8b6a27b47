#include "cli/RecoverQuestions.h"

#include "cli/BrowseTree.h"
#include "engine/request/Messages.h"
#include "engine/salvage/QuestionText.h"
#include "engine/tree/FileEntry.h"
#include "platform/OutputFile.h"
#include "platform/Terminal.h"
#include "platform/Utf.h"

#include <ostream>

namespace vantrel::cli {

namespace {

struct Choice {
    char key;
    const char* label;
    int answer;
};

std::string SizeAndDate(std::uint64_t size, const FileTime& time) {
    const std::u16string date = ModifyTimeText(time);
    if (date.empty())
        return "    " + ToUtf8(kUnknownSizeAndDate) + "\n";
    return "    " + ToUtf8(SizeText(size)) + "\n    " + ToUtf8(date) + "\n";
}

std::string EntryLines(const FileEntry* entry) {
    if (!entry)
        return "    " + ToUtf8(kUnknownSizeAndDate) + "\n";
    return "  " + PrintableName(entry->name) + "\n" + SizeAndDate(entry->size, entry->modifyTime);
}

// Asks until one of the choices is typed. Without an answer (end of input, Ctrl-C) the
// fallback is taken.
int Prompt(std::ostream& err, const std::string& text, const std::vector<Choice>& choices,
           int fallback) {
    for (;;) {
        err << text;
        for (const Choice& choice : choices)
            err << " [" << choice.key << "] " << choice.label;
        err << ": " << std::flush;
        std::string line;
        if (!ReadInputLine(&line)) {
            err << "\n";
            return fallback;
        }
        if (line.size() == 1)
            for (const Choice& choice : choices)
                if (line[0] == choice.key || line[0] == choice.key - 'a' + 'A')
                    return choice.answer;
    }
}

} // namespace

bool ParseQuestionMode(const std::string& text, const char* allWord, const char* noWord,
                       QuestionMode* mode) {
    if (text == "ask")
        *mode = QuestionMode::Ask;
    else if (text == allWord)
        *mode = QuestionMode::YesToAll;
    else if (text == noWord)
        *mode = QuestionMode::No;
    else
        return false;
    return true;
}

int AnswerQuestion(const RecoverPolicy& policy, const UiRequest& question, std::ostream& err) {
    const auto* entry = static_cast<const FileEntry*>(question.pointer);
    const std::string name = entry ? PrintableName(entry->name) : std::string{};
    switch (question.Message()) {
    case msg::kAskOverwrite: {
        if (policy.overwrite == QuestionMode::YesToAll)
            return msg::kAnswerYesToAll;
        if (policy.overwrite == QuestionMode::No)
            return msg::kAnswerNo;
        if (!policy.terminal) {
            err << "vantrel-cli: 端末がないため上書きしません: " << PrintableName(question.text)
                << "\n";
            return msg::kAnswerNo;
        }
        std::uint64_t size = 0;
        std::int64_t modified = 0;
        const std::string existing = ToUtf8(question.text);
        const std::string current = ExistingFileInfo(existing, &size, &modified)
                                        ? SizeAndDate(size, modified)
                                        : "    " + ToUtf8(kUnknownSizeAndDate) + "\n";
        return Prompt(err,
                      "\nファイルの上書きの確認\nこのフォルダには既に'" + name +
                          "'ファイルが存在します。\n現在のファイル\n  " +
                          PrintableName(question.text) + "\n" + current +
                          "に次の新しいファイルを上書きしますか?\n" + EntryLines(entry),
                      {{'y', "はい", msg::kAnswerYes},
                       {'a', "すべて上書き", msg::kAnswerYesToAll},
                       {'n', "いいえ", msg::kAnswerNo},
                       {'c', "キャンセル", msg::kAnswerCancel}},
                      msg::kAnswerCancel);
    }
    case msg::kAskSizeLimit:
        if (policy.fatLimit == QuestionMode::YesToAll)
            return msg::kAnswerYesToAll;
        if (policy.fatLimit == QuestionMode::No)
            return msg::kAnswerNo;
        if (!policy.terminal) {
            err << "vantrel-cli: 端末がないため4GB以上のファイルは回収しません: " << name << "\n";
            return msg::kAnswerNo;
        }
        return Prompt(err,
                      "\nファイルシステム制限の確認\n以下のファイルは4GBを超えています。\n"
                      "FATファイルシステムの制限により、4GB以上のファイルを回収することはできま"
                      "せん。\n" +
                          EntryLines(entry) +
                          "このファイルの回収を続行しますか？\n"
                          "※回収を続行する場合は4GBに切り詰められます。\n",
                      {{'y', "はい", msg::kAnswerYes},
                       {'a', "すべてはい", msg::kAnswerYesToAll},
                       {'n', "いいえ", msg::kAnswerNo}},
                      msg::kAnswerNo);
    case msg::kAskContinueAfterFailure:
        if (policy.onError == QuestionMode::YesToAll)
            return msg::kAnswerYesToAll;
        if (policy.onError == QuestionMode::No)
            return msg::kAnswerNo;
        if (!policy.terminal) {
            err << "vantrel-cli: 端末がないため失敗を無視して続行します: " << name << "\n";
            return msg::kAnswerYes;
        }
        return Prompt(err,
                      "\nファイル回収の続行確認\nファイルの回収に失敗しました。\n" +
                          EntryLines(entry) + "  (" + ToUtf8(question.text) + ")\n" +
                          "失敗を無視して続行しますか?\n"
                          "※いいえを選択した場合はこのファイルで回収が終了します。\n",
                      {{'y', "はい", msg::kAnswerYes},
                       {'a', "すべて無視", msg::kAnswerYesToAll},
                       {'n', "いいえ", msg::kAnswerNo}},
                      msg::kAnswerNo);
    default:
        return msg::kAnswerNone;
    }
}

} // namespace vantrel::cli
