#include "kestrel/page_flow.h"

#include <gtest/gtest.h>

#include <vector>

#include "kestrel/kestrel_app.h"

namespace {

using Path = std::vector<int>;

// The pages Next visits from the welcome page to Finish.
Path Forward(const CKestrelApp& app) {
    Path path{kestrel_page::kWelcome};
    while (path.size() < 30 && path.back() != kestrel_page::kFinish)
        path.push_back(NextPage(path.back(), app));
    path.pop_back();
    return path;
}

TEST(PageFlowTest, EveryKindAndSourceTakesItsPath) {
    struct Case {
        int type;
        int source;
        int multiFile;
        int sequential;
        Path path;
    } cases[] = {
        {1, 1, 1, 0, {129, 137, 130, 131, 145, 132, 133, 134, 135, 136}},
        {1, 2, 1, 0, {129, 137, 130, 131, 145, 146, 133, 134, 135, 136}},
        {2, 1, 1, 0, {129, 137, 130, 131, 145, 132, 133, 138, 134, 135, 136}},
        {3, 1, 1, 0, {129, 137, 130, 131, 145, 132, 139, 140, 141, 133, 142, 134, 135, 136}},
        {3, 2, 1, 0, {129, 137, 130, 131, 145, 146, 139, 140, 141, 133, 142, 134, 135, 136}},
        {4,
         1,
         1,
         0,
         {129, 137, 130, 131, 145, 132, 139, 140, 141, 133, 142, 138, 150, 134, 135, 136}},
        {5, 1, 1, 0, {129, 137, 130, 145, 132, 133, 134, 151, 152, 136}},
        {5, 2, 1, 1, {129, 137, 130, 145, 146, 133, 134, 151, 136}},
        {5, 1, 0, 0, {129, 137, 130, 145, 132, 133, 134, 151, 136}},
        {6, 1, 1, 0, {129, 137, 156, 145, 132, 157, 134, 158, 159, 160}},
        {6, 2, 1, 0, {129, 137, 156, 145, 146, 157, 134, 158, 159, 160}},
    };
    for (const Case& c : cases) {
        CKestrelApp app;
        app.m_nScriptType = c.type;
        app.m_nSourceType = c.source;
        app.m_bCsvMultiFile = c.multiFile;
        app.m_bCsvSequential = c.sequential;
        SCOPED_TRACE(testing::Message() << "type " << c.type << " source " << c.source);
        EXPECT_EQ(Forward(app), c.path);
    }
}

}  // namespace
