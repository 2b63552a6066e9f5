#include "platform/qt/qt_text.h"

#include "platform/text_codec.h"

namespace velk {

QString FromPlanText(std::string_view cp1252) {
  // Most plan texts are plain ASCII, which reads the same in every code
  // page; lists convert thousands of them at once.
  bool ascii = true;
  for (char c : cp1252)
    if (static_cast<unsigned char>(c) >= 0x80) {
      ascii = false;
      break;
    }
  if (ascii) return QString::fromLatin1(cp1252.data(), static_cast<qsizetype>(cp1252.size()));
  return QString::fromStdString(Cp1252ToUtf8(cp1252));
}

std::string ToPlanText(const QString& text) { return Utf8ToCp1252(text.toStdString()); }

QString FromPath(const std::filesystem::path& path) { return QString::fromStdString(path.string()); }

std::filesystem::path ToPath(const QString& text) { return std::filesystem::path(text.toStdString()); }

}  // namespace velk
