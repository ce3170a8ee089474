#include "atomic_file.h"
#include "safe_write_checks.h"
#include "test_support.h"

#include <cstdlib>
#include <optional>

namespace {

namespace fs = std::filesystem;
using namespace safe_write;

std::string Save(const fs::path& target, const std::string& bytes,
                 const std::function<void()>& during) {
    return ErrorOf<EStreamError>([&] {
        PGWriteFileAtomically(target, [&](TStream& stream) {
            stream.WriteBuffer(bytes.data(), static_cast<int64_t>(bytes.size()));
            during();
        });
    });
}

class AtomicFile : public ::testing::Test {
protected:
    void SetUp() override {
        fs::create_directory(Fallback);
        fs::permissions(Fallback, fs::perms::owner_all);
        PGSetAtomicFallbackFolder(Fallback);
    }
    void TearDown() override { PGSetAtomicFallbackFolder({}); }

    TTempDir Dir;
    const fs::path Fallback = Dir / "private";
};

TEST_F(AtomicFile, ReplacesTheFileALinkEndsAtAndKeepsTheLinks) {
    CheckLinkCases(Save, Dir / "work");
}

TEST_F(AtomicFile, KeepsTheModeAndRefusesAFileTheUserMayNotWrite) {
    CheckModeCases(Save, Dir / "work");
}

TEST_F(AtomicFile, KeepsOwnerAndGroup) {
    CheckOwnershipKept(Save, Dir.Path());
}

TEST_F(AtomicFile, WritesAFileInAReadOnlyFolderThroughTheFallbackFolder) {
    CheckReadOnlyFolder(Save, Dir / "work", Fallback);
}

// Sets an environment variable (nullopt unsets it) until the object goes.
class TVariable {
public:
    TVariable(const char* name, const std::optional<std::string>& value) : FName(name) {
        if (const char* old = std::getenv(name)) FOld = old;
        if (value)
            ::setenv(name, value->c_str(), 1);
        else
            ::unsetenv(name);
    }
    ~TVariable() {
        if (FOld)
            ::setenv(FName, FOld->c_str(), 1);
        else
            ::unsetenv(FName);
    }
    TVariable(const TVariable&) = delete;
    TVariable& operator=(const TVariable&) = delete;

private:
    const char* FName;
    std::optional<std::string> FOld;
};

// Without a folder from the program, the fallback folder is made when first needed: mode 0700
// with an unpredictable name, in the runtime folder when there is one, else in $TMPDIR.
TEST(AtomicFileFallback, IsAPrivateFolderMadeInTheRuntimeOrTemporaryFolder) {
    enum class TRuntime { Folder, Unset, Relative };
    struct TCase {
        const char* Why;
        TRuntime Runtime;     // what XDG_RUNTIME_DIR holds
        const char* Expected; // the folder the fallback folder is made in
    };
    const TCase cases[] = {
        {"a runtime folder", TRuntime::Folder, "runtime"},
        {"no runtime folder", TRuntime::Unset, "tmp"},
        {"a relative runtime folder", TRuntime::Relative, "tmp"},
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.Why);
        TTempDir dir;
        fs::create_directory(dir / "runtime");
        fs::create_directory(dir / "tmp");
        std::optional<std::string> runtimeValue;
        if (c.Runtime == TRuntime::Folder) runtimeValue = (dir / "runtime").string();
        if (c.Runtime == TRuntime::Relative) runtimeValue = "runtime";
        const TVariable runtime("XDG_RUNTIME_DIR", runtimeValue);
        const TVariable tmp("TMPDIR", (dir / "tmp").string());
        PGSetAtomicFallbackFolder({});

        const fs::path photo = dir / "ro" / "photo.jpg";
        Make(dir / "ro", {{"photo.jpg", "old"}});
        TReadOnly readOnly;
        if (readOnly.Folder(dir / "ro") == 0)
            GTEST_SKIP() << "this file system cannot make a folder read-only";
        const std::string error = Save(photo, "new", [&] { readOnly.File(photo); });
        const std::string::size_type start = error.find("kept as \"");
        ASSERT_NE(start, std::string::npos) << error;
        const fs::path kept = error.substr(start + 9, error.size() - start - 11);
        EXPECT_EQ(ReadBytes(kept), "new");
        const fs::path made = kept.parent_path();
        EXPECT_EQ(made.parent_path(), dir / c.Expected);
        EXPECT_EQ(made.filename().string().rfind("glimmet-", 0), 0u) << made;
        EXPECT_NE(made.filename(), "glimmet-XXXXXX");
        const struct stat st = StatOf(made);
        EXPECT_TRUE(S_ISDIR(st.st_mode));
        EXPECT_EQ(st.st_mode & 0777, 0700u);
        EXPECT_EQ(st.st_uid, ::geteuid());
    }
    PGSetAtomicFallbackFolder({});
}

} // namespace
