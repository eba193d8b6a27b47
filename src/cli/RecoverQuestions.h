#pragma once

// How `recover` answers the salvage questions: by its options, on the terminal, or,
// without a terminal, with the safe answer (and a line saying so).

#include "engine/request/UiRequest.h"

#include <iosfwd>
#include <string>

namespace vantrel::cli {

enum class QuestionMode { Ask, YesToAll, No };

struct RecoverPolicy {
    QuestionMode overwrite = QuestionMode::Ask; // --overwrite ask|all|never
    QuestionMode onError = QuestionMode::Ask;   // --on-error ask|continue|stop
    QuestionMode fatLimit = QuestionMode::Ask;  // --fat-limit ask|cut|skip
    bool terminal = false;                      // standard input is a terminal
    bool hashFiles = true;                      // off with --no-hash
};

// Parses one option value against its three words (ask, then the yes-to-all word, then
// the no word); false for anything else.
bool ParseQuestionMode(const std::string& text, const char* allWord, const char* noWord,
                       QuestionMode* mode);

// The answer code for a question request (0x46A, 0x46B or 0x46C). Prompts on err and
// reads standard input when the policy says ask and there is a terminal.
int AnswerQuestion(const RecoverPolicy& policy, const UiRequest& question, std::ostream& err);

} // namespace vantrel::cli
