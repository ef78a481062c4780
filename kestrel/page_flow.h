#pragma once
// The wizard's pages, by dialog number, and where Next leads from each, given the answers so far.
// The pages validate and store their answers before asking. Back retraces the pages visited.

#include <array>

class CKestrelApp;

namespace kestrel_page {
constexpr int kWelcome = 129;
constexpr int kScriptFile = 130;
constexpr int kHtmlFile = 131;
constexpr int kDsn = 132;
constexpr int kTable = 133;
constexpr int kFields = 134;
constexpr int kDataFormat = 135;
constexpr int kFinished = 136;
constexpr int kScriptType = 137;
constexpr int kLinkField = 138;
constexpr int kCategoryTable = 139;
constexpr int kCategoryLinkField = 140;
constexpr int kCategoryKey = 141;
constexpr int kTableKey = 142;
constexpr int kSourceType = 145;
constexpr int kSourceFile = 146;
constexpr int kCategoryFormat = 150;
constexpr int kCsvOutput = 151;
constexpr int kCsvKey = 152;
constexpr int kProjectName = 156;
constexpr int kFormTable = 157;
constexpr int kWebServer = 158;
constexpr int kMailAccount = 159;
constexpr int kProjectFinished = 160;
// Ends the wizard: Next on a finish page.
constexpr int kFinish = -1;
}  // namespace kestrel_page

// The pages in the sheet's order, which a page's default Next and Back follow.
inline constexpr std::array<int, 24> kKestrelPageOrder = {129, 137, 130, 131, 145, 146, 132, 139,
                                                          140, 141, 133, 142, 138, 150, 134, 135,
                                                          136, 151, 152, 156, 157, 158, 159, 160};

int NextPage(int page, const CKestrelApp& app);
