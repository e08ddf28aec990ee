#pragma once
// Files the tests write for the program to read.

#include <string_view>
#include <vector>

#include <QString>

class QTemporaryDir;

// Writes bytes to the file name in folder (an absolute name as it stands),
// replacing what was there, and returns its path; a file that cannot be
// written fails the test.
QString WriteTestFile(const QTemporaryDir& folder, const QString& name, std::string_view bytes);
QString WriteTestFile(const QTemporaryDir& folder, const QString& name,
                      const std::vector<unsigned char>& bytes);
