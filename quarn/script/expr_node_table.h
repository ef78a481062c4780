#pragma once
// The node table of one parsed arithmetic/Boolean expression: one entry per node, in the order of
// creation. An operator node holds its operator character and references to its left and right
// operands; a number node holds the number text as written. A node only refers to lower indexes,
// since operands are created before the node that uses them.
//
// References are kept as integers; the text accessors give them in their written form: the node
// index in decimal, "URANARY_OP" for a missing operand, "" for a number node's operands.

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

class CExprNodeTable {
public:
    // Operand references that are no node index.
    static constexpr int kUnaryOperand = -1;  // no operand on that side ("URANARY_OP")
    static constexpr int kNoOperand = -2;     // the operands of a number node ("")

    virtual ~CExprNodeTable();

    // Appends a node and returns its index. `strOperator` is the operator character of an operator
    // node, or the number text of a number node (whose operands are kNoOperand).
    int AddNode(std::string_view strOperator, int nRightOperand, int nLeftOperand);

    // The stored texts of node i; "" when i is below 0 or above LastNodeIndex().
    std::string_view GetOperator(int i) const;
    std::string GetLeftOperand(int i) const;
    std::string GetRightOperand(int i) const;

    // The number of nodes minus 1.
    int LastNodeIndex() const { return static_cast<int>(m_vecNodes.size()) - 1; }
    void ClearNodes();

protected:
    // The references of node i as integers; i must be a node index.
    int LeftOperandRef(int i) const { return m_vecNodes[static_cast<std::size_t>(i)].nLeft; }
    int RightOperandRef(int i) const { return m_vecNodes[static_cast<std::size_t>(i)].nRight; }

private:
    struct Node {
        int nRight;
        int nLeft;
        std::size_t nOperatorAt;  // the operator text within m_strOperators
        std::size_t nOperatorLength;
    };

    bool IsNode(int i) const { return i >= 0 && i <= LastNodeIndex(); }
    static std::string ReferenceText(int nReference);

    std::vector<Node> m_vecNodes;
    std::string m_strOperators;  // the operator texts of all nodes, back to back
};
