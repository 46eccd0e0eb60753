// User guide pages.
#include "app/guide_pages.hpp"

#include <QDesktopServices>
#include <QDir>
#include <QFileInfo>
#include <QUrl>
#include <array>
#include <utility>

#include "app/message_boxes.hpp"

namespace vardex {
namespace {

constexpr std::array<std::pair<GuidePage, const char*>, 5> kPageFiles{{
    {GuidePage::Home, "index.html"},
    {GuidePage::CommandLine, "cli.html"},
    {GuidePage::RecordCheck, "check.html"},
    {GuidePage::ExampleProject, "example.html"},
    {GuidePage::Update, "update.html"},
}};

}  // namespace

QString guidePageFileName(GuidePage page) {
  for (const auto& [key, file] : kPageFiles) {
    if (key == page) return QString::fromUtf8(file);
  }
  return QString::fromUtf8(kPageFiles.front().second);
}

QString findGuidePage(GuidePage page, const QString& programDir) {
  const QDir dir(programDir);
  const QString file = guidePageFileName(page);
  for (const QString& relative :
       {QStringLiteral("guide/"), QStringLiteral("../share/vardex/guide/")}) {
    const QFileInfo candidate(dir.filePath(relative + file));
    if (candidate.isFile()) return candidate.absoluteFilePath();
  }
  return {};
}

void openGuidePage(GuidePage page, MessageBoxes& messages, QWidget* parent,
                   const QString& programDir) {
  const QString path = findGuidePage(page, programDir);
  if (path.isEmpty()) {
    messages.show(parent, QCoreApplication::translate("vardex::GuidePages", "用户指南"),
                  QCoreApplication::translate("vardex::GuidePages",
                                              "找不到用户指南页面 %1，请检查 Vardex 是否完整安装。")
                      .arg(guidePageFileName(page)),
                  MessageBoxes::Icon::Warning, MessageBoxes::Buttons::Ok);
    return;
  }
  QDesktopServices::openUrl(QUrl::fromLocalFile(path));
}

}  // namespace vardex
