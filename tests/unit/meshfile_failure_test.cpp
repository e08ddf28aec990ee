// What a mesh file leaves behind when it cannot be finished: nothing at its
// path, nothing beside it, and a file that was there before with its bytes
// as they were. And what it leaves when it can: the new file alone.
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>
#include <csignal>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include "base/errors.h"
#include "meshes/meshfile.h"
#include "support/meshsamples.h"

namespace {

enum class Failure {
  kFolderIsAFile,   // the path's folder is a regular file
  kReadOnlyFolder,  // not for root, who may write anywhere
  kDiskFull,        // the file size limit of a child process
  kStopAtOnce,      // going says no the first time it is asked
  kStopHalfWay,     // going says no once half is done
};

constexpr const char* kSuffixes[] = {"stl", "3mf", "glb", "ply"};
constexpr MeshFormat kFormats[] = {MeshFormat::kStl, MeshFormat::kThreeMf, MeshFormat::kGlb,
                                   MeshFormat::kPly};
const QByteArray kEarlier = "the file that was here before\n";

// 300 × 300 vertices, 178802 triangles: every format runs to megabytes.
const TriangleMesh& LargeMesh() {
  static const TriangleMesh mesh = GridMesh(300);
  return mesh;
}

QStringList Listing(const QString& folder) {
  return QDir(folder).entryList(QDir::AllEntries | QDir::Hidden | QDir::System |
                                QDir::NoDotAndDotDot);
}

QByteArray Bytes(const QString& path) {
  QFile file(path);
  return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// Writes in a child process whose files may not grow beyond 64 KiB (the
// signal ignored, so that a write fails with EFBIG as on a full disk).
// Returns how the writing ended: 'e' cFileWriteError, 'w' written, 's'
// stopped, 'x' anything else.
char WriteInSmallFileLimit(MeshFormat format, const QString& path) {
  const pid_t child = fork();
  if (child == 0) {
    alarm(60);
    std::signal(SIGXFSZ, SIG_IGN);
    const rlimit limit{65536, 65536};
    setrlimit(RLIMIT_FSIZE, &limit);
    char result = 'x';
    try {
      result = WriteMesh(LargeMesh(), format, path, nullptr) ? 'w' : 's';
    } catch (const cFileWriteError&) {
      result = 'e';
    } catch (...) {
    }
    _exit(result);
  }
  int status = 0;
  waitpid(child, &status, 0);
  return WIFEXITED(status) ? char(WEXITSTATUS(status)) : 'x';
}

std::string FailureName(const testing::TestParamInfo<std::tuple<Failure, int>>& info) {
  const char* names[] = {"FolderIsAFile", "ReadOnlyFolder", "DiskFull", "StopAtOnce",
                         "StopHalfWay"};
  return std::string(names[int(std::get<0>(info.param))]) + "_" +
         kSuffixes[std::get<1>(info.param)];
}

class MeshFileFailures : public testing::TestWithParam<std::tuple<Failure, int /* format */>> {};

TEST_P(MeshFileFailures, LeaveNothingAndKeepTheEarlierFile) {
  const auto [failure, f] = GetParam();
  const MeshFormat format = kFormats[f];
  QTemporaryDir dir;
  QString folder = dir.path();
  if (failure == Failure::kFolderIsAFile) {
    QFile file(dir.filePath("file"));
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    folder = dir.filePath("file");
  }
  const QString path = folder + "/mesh." + kSuffixes[f];
  const bool earlier = failure != Failure::kFolderIsAFile;
  if (earlier) {
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(kEarlier);
  }
  if (failure == Failure::kReadOnlyFolder) {
    if (geteuid() == 0) {
      GTEST_SKIP() << "root writes into read-only folders";
    }
    ASSERT_TRUE(QFile::setPermissions(folder, QFile::ReadOwner | QFile::ExeOwner));
  }
  const QStringList before = Listing(dir.path());

  char result = 'x';
  int asked = 0;
  if (failure == Failure::kDiskFull) {
    result = WriteInSmallFileLimit(format, path);
  } else {
    const auto going = [&](double done) {
      ++asked;
      return failure == Failure::kStopHalfWay ? done < 0.5 : failure != Failure::kStopAtOnce;
    };
    try {
      result = WriteMesh(LargeMesh(), format, path, going) ? 'w' : 's';
    } catch (const cFileWriteError& error) {
      result = 'e';
      EXPECT_TRUE(error.Message().contains(path)) << error.what();
    }
  }
  QFile::setPermissions(folder, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);

  const bool stop = failure == Failure::kStopAtOnce || failure == Failure::kStopHalfWay;
  EXPECT_EQ(result, stop ? 's' : 'e');
  if (failure == Failure::kStopHalfWay) {
    EXPECT_GT(asked, 1);
  }
  EXPECT_EQ(Listing(dir.path()), before);
  EXPECT_EQ(Listing(folder), earlier ? QStringList{QFileInfo(path).fileName()} : QStringList{});
  if (earlier) {
    EXPECT_EQ(Bytes(path), kEarlier);
  }
}

INSTANTIATE_TEST_SUITE_P(Cases, MeshFileFailures,
                         testing::Combine(testing::Values(Failure::kFolderIsAFile,
                                                          Failure::kReadOnlyFolder,
                                                          Failure::kDiskFull, Failure::kStopAtOnce,
                                                          Failure::kStopHalfWay),
                                          testing::Range(0, 4)),
                         FailureName);

// Written over an earlier file, the new one stands alone at the path, and
// going was told the share now and then on the way, at least once every
// 4 MiB, never going back, ending at 1.
class MeshFileSuccess : public testing::TestWithParam<int> {};

TEST_P(MeshFileSuccess, ReplacesTheEarlierFileAndReportsOnTheWay) {
  const int f = GetParam();
  QTemporaryDir dir;
  const QString path = dir.filePath(QStringLiteral("mesh.") + kSuffixes[f]);
  {
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(kEarlier);
  }
  std::vector<double> shares;
  ASSERT_TRUE(WriteMesh(LargeMesh(), kFormats[f], path, [&](double done) {
    shares.push_back(done);
    return true;
  }));
  EXPECT_EQ(Listing(dir.path()), QStringList{QFileInfo(path).fileName()});
  const QByteArray bytes = Bytes(path);
  // 300 × 300 vertices, 2 × 299 × 299 triangles; a STL's 50 bytes a
  // triangle and 84 more, the others by their first bytes.
  const char* starts[] = {"", "PK", "glTF", "ply\n"};
  EXPECT_TRUE(bytes.startsWith(starts[f]));
  if (kFormats[f] == MeshFormat::kStl) {
    EXPECT_EQ(bytes.size(), 84 + 50 * 178802);
  }
  ASSERT_FALSE(shares.empty());
  EXPECT_GE(shares.size(), std::size_t(bytes.size() / (4 << 20)));
  EXPECT_EQ(shares.back(), 1.0);
  for (std::size_t i = 0; i < shares.size(); ++i) {
    EXPECT_GE(shares[i], i > 0 ? shares[i - 1] : 0.0);
    EXPECT_LE(shares[i], 1.0);
  }
}

INSTANTIATE_TEST_SUITE_P(Formats, MeshFileSuccess, testing::Range(0, 4),
                         [](const testing::TestParamInfo<int>& info) {
                           return std::string(kSuffixes[info.param]);
                         });

}  // namespace
