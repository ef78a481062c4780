#include "tolvane/decision_text.h"

#include <array>

#include "shared/script_escapes.h"
#include "tolvane/insert_data_text.h"

namespace {

constexpr std::string_view kTrueTodo =
    "# TODO- insert the HTML/script functions that you want to happen if the test evaluates TRUE "
    "after this line.";
constexpr std::string_view kFalseTodo =
    "# TODO- insert the HTML/script functions that you want to happen if the test evaluates FALSE "
    "after this line.";

constexpr std::array<std::string_view, 6> kRelations = {"==", "!=", "<", "<=", ">", ">="};
constexpr std::array<std::string_view, 6> kOperators = {"eq", "ne", "in", "in", "ni", "ni"};

// The tested reference: a field as FieldReference writes it, a variable as defined.
std::string SourceReference(const DecisionAnswers& answers) {
    if (answers.source == DecisionAnswers::kVariable) return "?" + answers.sourceName + "?";
    return FieldReference(answers.sourceName, answers.currentRecordset, answers.index);
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
            return "&if(" + s + std::string(kRelations[choice]) + value + ")";
        case DecisionAnswers::kText: {
            const std::string op =
                std::string(kOperators[choice]) + (answers.caseSensitive ? "" : ".nc");
            // Choices 2 and 4 put the source on the left: "is (not) contained in the phrase".
            if (choice == 2 || choice == 4)
                return "&if(\"" + s + "\"," + op + ",\"" + value + "\")";
            return "&if(\"" + value + "\"," + op + ",\"" + s + "\")";
        }
        default:
            return "&if(" + s + ")";
    }
}

InsertResult DataDecisionText(const DecisionAnswers& answers, const InsertContext& ctx) {
    const std::string lineEnd = std::string(kCrlf) + Tabs(ctx.indent);
    InsertResult result = Block(DecisionTestLine(answers), ctx.indent, kTrueTodo, ctx);
    result.text += lineEnd;
    if (answers.includeElse)
        result.text += Block("&else", ctx.indent, kFalseTodo, ctx).text + lineEnd;
    return result;
}
