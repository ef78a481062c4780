#pragma once
// The evaluator of arithmetic/Boolean expressions: turns an expression text, in which the caller
// has already expanded every variable reference, into its value written as text. The text is
// lower-cased, named words (flag names, function names) become numbers or operator letters, the
// text is cut into tokens, parsed by precedence from the last token to the first into the node
// table, and the node tree is evaluated in double precision.
//
// Numbers are read and written in the C locale whatever the process locale is. Not thread-safe:
// one evaluator per thread.

#include <string>
#include <string_view>
#include <vector>

#include "quarn/script/expr_node_table.h"

class CExprEvaluator : public CExprNodeTable {
public:
    ~CExprEvaluator() override;

    // Returns 1 with the value in m_strResult ("%.15g"; "" for a text that is empty after its
    // leading white space), or 0 with the message in m_strResult, program title applied: ERROR 32
    // (syntax), 33 (illegal character) or 34 (divide by zero); ERROR 120 when memory runs out.
    // Nothing of one evaluation carries over to the next.
    int Evaluate(std::string_view strExpression);

    std::string m_strResult;

private:
    // One operand of a level's operator chain and the operator left of it, kept while the rest of
    // the chain is read.
    struct ChainLink {
        int nOperand;
        std::string_view strOperator;
    };
    struct EvalFrame {
        int nNode;
        int nStage;  // 0: not visited yet, 1: left operand evaluated, 2: both evaluated
    };
    using OperatorTest = bool (*)(std::string_view strToken);
    using ParseLevel = int (CExprEvaluator::*)();

    // Evaluate's steps after the leading white space is gone; 0 with m_nError set on failure.
    int EvaluateTrimmed(std::string_view strExpression);
    void PrepareText(std::string_view strExpression);
    int CutTokens();

    // Makes the current token the previous one, reads the next and returns the previous token.
    std::string_view NextToken();
    // The token at the cursor, moving the cursor one token towards the start; "EOI" before it.
    std::string_view ReadToken();
    std::string_view TokenAtCursor() const;

    // Each level returns the reference of what it parsed (a node index or kUnaryOperand). After a
    // failure the parse stops: whatever follows, the evaluation fails with ERROR 32.
    int ParseLogical();
    int ParseComparison();
    int ParseAdditive();
    int ParseMultiplicative();
    int ParsePrefix();
    int ParseSign();
    int ParsePrimary();
    template <ParseLevel parseHigher, OperatorTest isOperator>
    int ParseChain();

    double EvalNode(int nNode);
    void PushOperand(int nReference, int nUser);
    double ApplyOperator(char chOperator, bool bUnary, double dLeft, double dRight);
    double ReadNumber(std::string_view strNumber);

    void Fail(int nMessage) { m_nError = nMessage; }

    std::vector<std::string_view> m_vecTokens;  // views into m_strWork, valid during Evaluate
    std::string_view m_strPreviousToken;
    int m_nError = 0;  // 0, or the message number of the last failure of this evaluation
    int m_nRoot = 0;
    int m_nCursor = -1;
    std::string_view m_strCurrentToken;
    int m_nVisited = 0;

    int m_nNesting = 0;                 // parentheses open at the parse position
    std::vector<ChainLink> m_vecChain;  // links of the chains being parsed, innermost last
    std::vector<EvalFrame> m_vecFrames;
    std::vector<double> m_vecValues;
    std::string m_strText;     // wrapped, lower-cased, words replaced
    std::string m_strWork;     // blanks removed, operators rewritten; the tokens' text
    std::string m_strScratch;  // for rewriting m_strText and m_strWork, and numbers with "f"
};
