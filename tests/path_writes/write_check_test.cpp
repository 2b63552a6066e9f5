// The path-write check on a small tree: clean, it passes; planted with one
// call by path per file, it names each by file and line, and nothing else.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>

#include "support/test_support.h"
#include "write_check.h"

namespace {

struct Planted {
  const char* file;
  int line;  // of the call the check must name; 0 in the clean tree
  const char* text;
};

constexpr path_writes::Allowed kRunFolder{"src/project/run.cpp", "mkdtemp", "a private folder of its own"};

TEST(PathWrites, PassesACleanTreeAndNamesEveryCallByPath) {
  velk::test::TempDir tree;
  const Planted clean[] = {
      // The platform is where steps by path belong.
      {"src/platform/file_ops.cpp", 0, "std::rename(a, b);\n::unlink(p);\n"},
      {"src/project/run.cpp", 0, "char* made = ::mkdtemp(t);\n"},
      // What only looks like a call by path is none: comments, literals,
      // declarations, preprocessor lines, the algorithm std::remove,
      // steps through an open folder, reads, a member of no file class.
      {"src/data/reads.cpp", 0,
       "#include <fstream>\n"
       "// std::filesystem::remove(p); rename(a, b);\n"
       "/* ::unlink(p);\n std::ofstream out(p); */\n"
       "const char* kText = \"rename(a, b) std::ofstream\"; char q = '\"'; int n = 1'000;\n"
       "const char* kRaw = R\"x(fs::remove(p) \")x\";\n"
       "std::ifstream in(p);\n"
       "bool remove(int x);\n"
       "v.erase(std::remove(v.begin(), v.end(), 0), v.end());\n"
       "::renameat(folder, a, folder, b);\n"
       "int fd = ::openat(AT_FDCWD, p, O_RDONLY | O_CLOEXEC) + ::open(p, O_RDONLY);\n"
       "FILE* f = std::fopen(p, \"rb\");\n"
       "::fstatat(AT_FDCWD, p, &st, AT_SYMLINK_NOFOLLOW);\n"
       "args.remove(at, 2);\n"
       "if (open()) return;\n"
       "image.save(&buffer, \"PNG\");\n"
       "std::error_code ec;\n"
       "auto t = std::filesystem::last_write_time(p) + std::filesystem::last_write_time(p, ec);\n"
       "::fchownat(folder, name, uid, gid, AT_SYMLINK_NOFOLLOW);\n"
       "#define LIMIT 4096\n"
       "#define NAMED(x) #x\n"
       "#define EMPTY\n"},
      // Modes that only read.
      {"src/data/modes.cpp", 0,
       "QFile f(p);\n"
       "f.open(QIODevice::ReadOnly | QIODevice::Text);\n"
       "std::ifstream in(p, std::ios::in | std::ios::binary);\n"
       "in.open(p, std::ios::binary);\n"},
  };
  for (const Planted& p : clean) velk::test::WriteFile(tree / p.file, p.text);
  const path_writes::Allowed allowed[] = {kRunFolder};
  const path_writes::Report passed = path_writes::CheckTree(tree.path(), allowed);
  EXPECT_TRUE(passed.faults.empty()) << testing::PrintToString(passed.faults);
  EXPECT_EQ(passed.pathWrites, 1);
  EXPECT_EQ(passed.allowed, 1);

  const Planted calls[] = {
      {"src/a/rename.cpp", 1, "if (std::rename(a, b) != 0) return;\n"},
      {"src/a/remove.cpp", 3, "namespace fs = std::filesystem;\n\nfs::remove(p, ec);\n"},
      {"src/a/remove_all.cpp", 1, "std::filesystem::remove_all(p);\n"},
      {"src/a/using.cpp", 2, "using namespace std::filesystem;\ncopy_file(a, b);\n"},
      {"src/a/copy.cpp", 1, "std::filesystem::copy(a, b, std::filesystem::copy_options::recursive);\n"},
      {"src/a/create_directory.cpp", 1, "std::filesystem::create_directory(p);\n"},
      {"src/a/permissions.cpp", 2, "namespace files = ::std::filesystem;\nfiles::permissions(p, m);\n"},
      {"src/a/unlink.cpp", 1, "::unlink(p.c_str());\n"},
      {"src/a/link.cpp", 1, "return link(a, b);\n"},
      {"src/a/mkdtemp.cpp", 1, "char* d = mkdtemp(t);\n"},
      {"src/a/mkstemp.cpp", 1, "int fd = ::mkstemp(t);\n"},
      {"src/a/open.cpp", 2, "int fd =\n  ::open(p, O_WRONLY | O_CREAT, 0600);\n"},
      {"src/a/open_flags.cpp", 1, "int fd = ::open(p, flags);\n"},
      {"src/a/fopen.cpp", 1, "FILE* f = std::fopen(p, \"a\");\n"},
      {"src/a/openat.cpp", 1, "int fd = ::openat(AT_FDCWD, p, O_RDWR);\n"},
      {"src/a/renameat2.cpp", 1, "::renameat2(folder, a, AT_FDCWD, b, RENAME_NOREPLACE);\n"},
      {"src/a/helper.cpp", 1, "velk::WriteNewFile(AT_FDCWD, to, bytes, 0600, to);\n"},
      {"src/a/ofstream.cpp", 1, "std::ofstream out(p);\n"},
      {"src/a/fstream.h", 1, "std::fstream both(p);\n"},
      {"src/a/qfile_open.cpp", 2, "QFile file(p);\nfile.open(QIODevice::WriteOnly);\n"},
      {"src/a/qfile_remove.cpp", 1, "QFile::remove(p);\n"},
      {"src/a/qfile_rename.cpp", 2, "QFile f(p);\nf.rename(q);\n"},
      {"src/a/qsavefile.cpp", 1, "QSaveFile out(p);\n"},
      // std::filesystem through the aliases and a using-declaration of a
      // header (below).
      {"src/b/rename.cpp", 2, "#include \"b/files.h\"\nfs::rename(a, b);\n"},
      {"src/b/remove.cpp", 2, "#include \"b/files.h\"\nother::remove(p);\n"},
      {"src/b/using.cpp", 1, "remove_all(p);\n"},
      {"src/a/last_write_time.cpp", 1, "std::filesystem::last_write_time(p, t);\n"},
      {"src/a/qdir_mkpath.cpp", 1, "QDir().mkpath(p);\n"},
      {"src/a/qdir_remove.cpp", 1, "dir.removeRecursively();\n"},
      {"src/a/qdir_rename.cpp", 2, "QDir dir(p);\ndir.rename(a, b);\n"},
      {"src/a/image_save.cpp", 1, "window.grab().save(p, \"PNG\");\n"},
      // Open modes held in a variable.
      {"src/a/qfile_mode.cpp", 2, "QFile f(p);\nif (!f.open(mode)) return;\n"},
      {"src/a/ifstream_mode.cpp", 1, "std::ifstream in(p, mode);\n"},
      {"src/a/filebuf_mode.cpp", 2, "std::filebuf b;\nb.open(p, std::ios::in | std::ios::out);\n"},
      {"src/a/ofstream_mode.cpp", 1, "std::ofstream out(p, mode);\n"},
      {"src/a/fopen_mode.cpp", 1, "FILE* f = std::fopen(p, mode);\n"},
      {"src/a/chown.cpp", 1, "::chown(p, uid, gid);\n"},
      {"src/a/lchown.cpp", 1, "lchown(p, uid, gid);\n"},
      {"src/a/fchownat.cpp", 1, "fchownat(AT_FDCWD, p, uid, gid, 0);\n"},
      // Macros whose bodies write.
      {"src/a/macro.cpp", 3, "#include <cstdio>\n#define DROP(p) \\\n  std::filesystem::remove(p)\nint x;\n"},
      {"src/a/macro.h", 1, "#define KILL(p) ::unlink(p)\nvoid f();\n"},
  };
  for (const Planted& p : calls) velk::test::WriteFile(tree / p.file, p.text);
  velk::test::WriteFile(tree / "src/b/files.h",
                        "namespace fs = std::filesystem;\nnamespace other = fs;\nusing other::remove_all;\n");
  const path_writes::Allowed stale[] = {kRunFolder, {"src/gone.cpp", "rename", "gone since"}};
  const path_writes::Report failed = path_writes::CheckTree(tree.path(), stale);
  for (const Planted& p : calls) {
    const std::string where = std::string(p.file) + ":" + std::to_string(p.line) + ": ";
    EXPECT_TRUE(std::ranges::any_of(failed.faults, [&](const std::string& f) { return f.starts_with(where); }))
        << where << " not named among " << testing::PrintToString(failed.faults);
  }
  // An allowance the tree no longer needs is named too.
  EXPECT_TRUE(std::ranges::any_of(failed.faults, [](const std::string& f) {
    return f.starts_with("src/gone.cpp: rename: ");
  })) << testing::PrintToString(failed.faults);
  EXPECT_EQ(failed.faults.size(), std::size(calls) + 1) << testing::PrintToString(failed.faults);
}

}  // namespace
