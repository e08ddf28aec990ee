#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/file.h>
#include <sys/wait.h>
#include <unistd.h>

#include "base/errors.h"
#include "formats/filebytes.h"
#include "formats/memorylimit.h"
#include "support/testfiles.h"

namespace {

class ReadFileBytesTest : public testing::Test {
 protected:
  QString Write(const char* name, const std::string& content) {
    return WriteTestFile(dir_, QString::fromUtf8(name), content);
  }
  QTemporaryDir dir_;
};

TEST_F(ReadFileBytesTest, ReadsTheWholeFile) {
  std::string content("BM\0\x01\xff", 5);
  content += std::string(100000, 'x');
  const FileBytes bytes = ReadFileBytes(Write("ビット.bmp", content));
  ASSERT_EQ(bytes.size, content.size());
  EXPECT_EQ(std::string(reinterpret_cast<const char*>(bytes.data.get()), bytes.size), content);
  EXPECT_EQ(ReadFileBytes(Write("empty.bmp", "")).size, 0u);
}

TEST_F(ReadFileBytesTest, FileThatCannotBeOpenedNamesItsPath) {
  const QString missing = dir_.filePath(QStringLiteral("missing.bmp"));
  try {
    ReadFileBytes(missing);
    FAIL() << "no error";
  } catch (const cFileOpenError& e) {
    EXPECT_EQ(e.Message(), QStringLiteral("ファイル %1 は開けません").arg(missing));
  }
  EXPECT_THROW(ReadFileBytes(dir_.path()), cFileOpenError);
  EXPECT_THROW(ReadFileBytes(QString()), cFileOpenError);
}

// A sparse file costs no disk: larger than memory, it is refused before any
// byte is read or allocated.
TEST_F(ReadFileBytesTest, FileLargerThanMemoryIsRefused) {
  const QString path = Write("huge.csv", "1,2,3\n");
  ASSERT_TRUE(QFile::resize(path, static_cast<qint64>(PhysicalMemoryBytes() + 1)));
  EXPECT_THROW(ReadFileBytes(path), cOutOfMemory);
}

TEST_F(ReadFileBytesTest, SharesTheFileWithReadersButNotWithALockingWriter) {
  const QString path = Write("locked.bmp", "BM");
  const int other = ::open(QFile::encodeName(path).constData(), O_RDWR);
  ASSERT_GE(other, 0);
  ASSERT_EQ(::flock(other, LOCK_SH), 0);
  EXPECT_EQ(ReadFileBytes(path).size, 2u);
  ASSERT_EQ(::flock(other, LOCK_EX | LOCK_NB), 0);
  EXPECT_THROW(ReadFileBytes(path), cFileOpenError);
  ::close(other);
  EXPECT_EQ(ReadFileBytes(path).size, 2u);
}

// Record locks only conflict between processes: a child holds the write lock.
TEST_F(ReadFileBytesTest, RefusesAFileUnderAnotherProcesssWriteLock) {
  const QString path = Write("record.bmp", "BM");
  const QByteArray name = QFile::encodeName(path);
  int ready[2], release[2];
  ASSERT_EQ(::pipe(ready), 0);
  ASSERT_EQ(::pipe(release), 0);
  const pid_t child = ::fork();
  ASSERT_GE(child, 0);
  if (child == 0) {
    ::close(release[1]);  // else the read below never sees the end
    const int fd = ::open(name.constData(), O_RDWR);
    struct flock range = {};
    range.l_type = F_WRLCK;
    range.l_whence = SEEK_SET;
    const char ok = fd >= 0 && ::fcntl(fd, F_SETLK, &range) == 0 ? 'y' : 'n';
    (void)!::write(ready[1], &ok, 1);
    char done;
    (void)!::read(release[0], &done, 1);
    ::_exit(0);
  }
  ::close(ready[1]);
  ::close(release[0]);
  char ok = 'n';
  ASSERT_EQ(::read(ready[0], &ok, 1), 1);
  EXPECT_EQ(ok, 'y');
  EXPECT_THROW(ReadFileBytes(path), cFileOpenError);
  ::close(release[1]);
  ::waitpid(child, nullptr, 0);
  ::close(ready[0]);
  EXPECT_EQ(ReadFileBytes(path).size, 2u);
}

}  // namespace
