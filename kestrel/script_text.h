#pragma once
// The text of one generated file, built step by step: each step writes its indent (tabs) and
// then its text. Line ends are "\n" here; text files reach the disk with CR LF.

#include <initializer_list>
#include <string>
#include <string_view>
#include <vector>

class CScriptText {
public:
    void Write(int tabs, std::string_view text);
    void Write(std::string_view text) { Write(0, text); }
    // Each of `lines` followed by a line end.
    void WriteLines(std::initializer_list<std::string_view> lines);
    const std::string& Text() const { return m_strText; }

    // The pieces that several generators share.
    // The opening comment of a template script: its heading, `about` (comment lines saying what
    // the script does), the pointer to the help, and the blank lines before the script.
    void TemplateBanner(std::initializer_list<std::string_view> about);
    void FieldTable(int tabs, const std::vector<std::string>& fields);
    void FieldPlain(int tabs, const std::vector<std::string>& fields);
    void FieldList(int tabs, const std::vector<std::string>& fields, bool asTable);
    void Navigation(std::string_view before, std::string_view after);
    void BackLink(std::string_view target);

private:
    std::string m_strText;
};

inline constexpr std::string_view kTenLineEnds = "\n\n\n\n\n\n\n\n\n\n";
inline constexpr std::string_view kThirteenLineEnds = "\n\n\n\n\n\n\n\n\n\n\n\n\n";
inline constexpr std::string_view kBannerRule =
    "############################################################";

// `text` as a text file holds it on disk: every "\n" becomes CR LF.
std::string WithCrLf(std::string_view text);
