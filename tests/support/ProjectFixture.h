#pragma once
// A fresh project of 640*480 pages (resolution 3) in a temporary folder,
// with a recording notifier, for tests of what the project and the page
// commands do to its files.

#include "common/Notifier.h"
#include "project/Project.h"

#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace h5test {

class ProjectFixture : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(tmp.isValid());
        QString error;
        ASSERT_TRUE(h5::Project::create(tmp.path(), projectName(), 3, project, notifier, &error))
            << error.toStdString();
    }

    // The project's name; its file is NAME.wgc.
    virtual QString projectName() const { return QStringLiteral("工程"); }

    // A new page n of the project, as the new page command makes it.
    h5::OpenPage addPage(int n, int layer = 0, bool auxiliary = false)
    {
        h5::NewPageValues v;
        v.pageNo = n;
        v.layer = layer;
        v.auxiliary = auxiliary;
        h5::OpenPage page;
        QString error;
        EXPECT_EQ(project.newPage(v, notifier, page, nullptr, &error),
                  h5::Project::NewPageResult::Created)
            << error.toStdString();
        return page;
    }

    QTemporaryDir tmp;
    h5::RecordingNotifier notifier;
    h5::Project project;
};

} // namespace h5test
