#include "platform/qt/qt_text.h"

#include "platform/text_codec.h"

namespace velk {

QString FromPlanText(std::string_view cp1252) { return QString::fromStdString(Cp1252ToUtf8(cp1252)); }

std::string ToPlanText(const QString& text) { return Utf8ToCp1252(text.toStdString()); }

QString FromPath(const std::filesystem::path& path) { return QString::fromStdString(path.string()); }

std::filesystem::path ToPath(const QString& text) { return std::filesystem::path(text.toStdString()); }

}  // namespace velk
