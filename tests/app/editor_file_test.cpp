// Which file "Altre INFO" hands the editor: the guide of the working folder,
// else the one installed with the program, whatever stands in either place.

#include "app/editor_file.h"
#include "temp_dir.h"

#include <filesystem>
#include <gtest/gtest.h>

namespace zelmora {
namespace {

using test::TempDir;

class EditorFileTest : public ::testing::Test {
protected:
    void SetUp() override { test::WriteFile(installed_, "Guida installata\n"); }

    std::filesystem::path chosen(const std::filesystem::path& installed) const {
        return EditorFile(work_.path(), kName, installed);
    }

    static constexpr const char* kName = "tesmiLeggimi.txt";
    TempDir work_;
    TempDir data_;
    std::filesystem::path installed_ = data_ / kName;
};

TEST_F(EditorFileTest, AFolderWithoutAGuideGetsTheInstalledOne) {
    EXPECT_EQ(chosen(installed_), installed_);
    // The installed guide reached through a link, as a package may lay it.
    std::filesystem::create_directory(data_ / "doc");
    std::filesystem::path link = data_ / "doc" / kName;
    std::error_code ec;
    std::filesystem::create_symlink(installed_, link, ec);
    if (!ec) {
        EXPECT_EQ(chosen(link), link);
    }
}

TEST_F(EditorFileTest, WhatStandsInTheFolderIsKeptForTheCallerToOpenOrRefuse) {
    work_.write(kName, "La mia guida\n");
    EXPECT_EQ(chosen(installed_), kName);
    std::filesystem::remove(work_ / kName);
    std::filesystem::create_directory(work_ / kName);
    EXPECT_EQ(chosen(installed_), kName) << "a folder is refused, not replaced";
    std::filesystem::remove(work_ / kName);
    std::error_code ec;
    std::filesystem::create_symlink("altrove/guida.txt", work_ / kName, ec);
    if (!ec) {
        EXPECT_EQ(chosen(installed_), kName) << "a link to nothing is told as such";
    }
}

TEST_F(EditorFileTest, WithoutAnOrdinaryInstalledGuideTheNameStays) {
    EXPECT_EQ(chosen({}), kName);
    EXPECT_EQ(chosen(data_ / "manca.txt"), kName);
    EXPECT_EQ(chosen(data_.path()), kName) << "a folder in the installed guide's place";
}

TEST_F(EditorFileTest, AWorkingFolderThatIsGoneOrAFileStillGetsTheInstalledGuide) {
    EXPECT_EQ(EditorFile(work_ / "cancellata", kName, installed_), installed_);
    work_.write("file", "");
    EXPECT_EQ(EditorFile(work_ / "file", kName, installed_), installed_);
}

} // namespace
} // namespace zelmora
