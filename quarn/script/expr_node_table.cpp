#include "quarn/script/expr_node_table.h"

#include <charconv>

CExprNodeTable::~CExprNodeTable() = default;

int CExprNodeTable::AddNode(std::string_view strOperator, int nRightOperand, int nLeftOperand) {
    m_vecNodes.push_back(
        Node{nRightOperand, nLeftOperand, m_strOperators.size(), strOperator.size()});
    m_strOperators.append(strOperator);
    return LastNodeIndex();
}

std::string_view CExprNodeTable::GetOperator(int i) const {
    if (!IsNode(i)) return {};
    const Node& node = m_vecNodes[static_cast<std::size_t>(i)];
    return std::string_view(m_strOperators).substr(node.nOperatorAt, node.nOperatorLength);
}

std::string CExprNodeTable::GetLeftOperand(int i) const {
    return IsNode(i) ? ReferenceText(LeftOperandRef(i)) : std::string();
}

std::string CExprNodeTable::GetRightOperand(int i) const {
    return IsNode(i) ? ReferenceText(RightOperandRef(i)) : std::string();
}

void CExprNodeTable::ClearNodes() {
    m_vecNodes.clear();
    m_strOperators.clear();
}

std::string CExprNodeTable::ReferenceText(int nReference) {
    if (nReference == kUnaryOperand) return "URANARY_OP";
    if (nReference == kNoOperand) return {};
    char digits[16];
    const auto written = std::to_chars(digits, digits + sizeof digits, nReference);
    return std::string(digits, written.ptr);
}
