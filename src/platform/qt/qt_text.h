#pragma once
// The one place where text crosses between the program's data and Qt. Plan
// and configuration texts are Windows-1252 bytes; paths are the file
// system's own bytes (UTF-8 here). The function names say which one they
// take, so a path is never decoded as plan text or the other way round.
#include <QString>
#include <filesystem>
#include <string>
#include <string_view>

namespace velk {

// Windows-1252 bytes (a plan field, a message) -> QString.
QString FromPlanText(std::string_view cp1252);
// QString -> Windows-1252 bytes; characters the code page lacks become "?".
std::string ToPlanText(const QString& text);

// A path -> QString, without any re-encoding of its bytes.
QString FromPath(const std::filesystem::path& path);
// A QString a user typed or a dialog returned -> a path.
std::filesystem::path ToPath(const QString& text);

}  // namespace velk
