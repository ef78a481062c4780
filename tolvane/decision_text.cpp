#include "tolvane/decision_text.h"

#include <array>

#include "tolvane/statement_text.h"

namespace {

constexpr std::string_view kTrueTodo =
    "# TODO- insert the HTML/script functions that you want to happen if the test evaluates TRUE "
    "after this line.";
constexpr std::string_view kFalseTodo =
    "# TODO- insert the HTML/script functions that you want to happen if the test evaluates FALSE "
    "after this line.";

constexpr std::array<std::string_view, 6> kRelations = {"?==", "?!=", "?<", "?<=", "?>", "?>="};
constexpr std::array<std::string_view, 6> kOperators = {"eq", "ne", "in", "in", "ni", "ni"};

// The reference's name: a field escaped for the script, with the recordset index when the field
// is not taken from the innermost recordset; a variable as defined.
std::string SourceReference(const DecisionAnswers& answers) {
    if (answers.source == DecisionAnswers::kVariable) return answers.sourceName;
    std::string name = EscapeScriptName(answers.sourceName);
    if (!answers.currentRecordset) name += "[" + std::to_string(answers.index) + "]";
    return name;
}

int Clamped(int choice) {
    return choice < 0 || choice > 5 ? 0 : choice;
}

}  // namespace

std::string DecisionTestLine(const DecisionAnswers& answers) {
    const std::string s = SourceReference(answers);
    const std::string value = EscapeTextKeepingReferences(answers.testValue);
    const int choice = Clamped(answers.testChoice);
    switch (answers.test) {
        case DecisionAnswers::kNumeric:
            return "&if(?" + s + std::string(kRelations[choice]) + value + ")";
        case DecisionAnswers::kText: {
            const std::string op =
                std::string(kOperators[choice]) + (answers.caseSensitive ? "" : ".nc");
            // Choices 2 and 4 put the source on the left: "is (not) contained in the phrase".
            if (choice == 2 || choice == 4)
                return "&if(\"?" + s + "?\"," + op + ",\"" + value + "\")";
            return "&if(\"" + value + "\"," + op + ",\"?" + s + "?\")";
        }
        default:
            return "&if(?" + s + "?)";
    }
}

InsertText DataDecisionText(const DecisionAnswers& answers, const InsertSettings& settings) {
    const int n = settings.indent;
    InsertText insert;
    insert.text = DecisionTestLine(answers);
    insert.text += kCrlf;
    insert.caret = AppendBlock(insert.text, n, settings.todo ? kTrueTodo : std::string_view());
    if (answers.includeElse) {
        insert.text += "&else";
        insert.text += kCrlf;
        AppendBlock(insert.text, n, settings.todo ? kFalseTodo : std::string_view());
    }
    return insert;
}
