#include "kestrel/page_flow.h"

#include <algorithm>

#include "kestrel/kestrel_app.h"

using namespace kestrel_page;

namespace {

int Neighbour(int page, int step) {
    const auto at = std::find(kKestrelPageOrder.begin(), kKestrelPageOrder.end(), page);
    const auto index = at - kKestrelPageOrder.begin() + step;
    if (at == kKestrelPageOrder.end() || index < 0 ||
        index >= static_cast<long>(kKestrelPageOrder.size()))
        return kFinish;
    return kKestrelPageOrder[static_cast<std::size_t>(index)];
}

bool CsvKeyAsked(const CKestrelApp& app) {
    return app.m_bCsvMultiFile && !app.m_bCsvSequential;
}

}  // namespace

int NextPage(int page, const CKestrelApp& app) {
    const int type = app.m_nScriptType;
    switch (page) {
        case kScriptType:
            return type == 6 ? kProjectName : Neighbour(page, 1);
        case kScriptFile:
            return type == 5 ? kSourceType : Neighbour(page, 1);
        case kSourceType:
            return app.m_nSourceType == 1 ? kDsn : kSourceFile;
        case kSourceFile:
            return type == 6 ? kFormTable : type == 3 || type == 4 ? kCategoryTable : kTable;
        case kDsn:
            return type == 6 ? kFormTable : type == 3 || type == 4 ? kCategoryTable : kTable;
        case kTable:
            return type == 1 || type == 5 ? kFields : type == 2 ? kLinkField : Neighbour(page, 1);
        case kTableKey:
            return type == 4 ? kLinkField : kFields;
        case kLinkField:
            return type == 4 ? Neighbour(page, 1) : kFields;
        case kFields:
            return type == 6 ? kWebServer : type == 5 ? kCsvOutput : Neighbour(page, 1);
        case kFinished:
        case kProjectFinished:
            return kFinish;
        case kCsvOutput:
            return CsvKeyAsked(app) ? kCsvKey : kFinished;
        case kCsvKey:
            return kFinished;
        case kProjectName:
            return kSourceType;
        case kFormTable:
            return kFields;
        default:
            return Neighbour(page, 1);
    }
}
