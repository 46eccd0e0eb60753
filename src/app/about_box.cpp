// About box and update answer.
#include "app/about_box.hpp"

#include <QDir>

#include "app/guide_pages.hpp"
#include "app/message_boxes.hpp"

namespace vardex {

QString installedVersion() { return QStringLiteral(VARDEX_VERSION); }

void showAboutBox(MessageBoxes& messages, QWidget* parent, const QString& programDir) {
  const QString guide = findGuidePage(GuidePage::Home, programDir);
  const QString guideLine = guide.isEmpty()
                                ? QObject::tr("用户指南：未随程序安装")
                                : QObject::tr("用户指南：%1").arg(QDir::toNativeSeparators(guide));
  messages.inform(parent, QObject::tr("关于 Vardex"),
                  QObject::tr("路桥测量内业 Vardex\n版本 %1\n构建日期 %2\n\n%3")
                      .arg(installedVersion(), QStringLiteral(VARDEX_BUILD_DATE), guideLine));
}

bool askToReadAboutUpdates(MessageBoxes& messages, QWidget* parent) {
  return messages.show(
             parent, QObject::tr("更新"),
             QObject::tr("已安装的版本：Vardex %1。\n"
                         "本程序不联网检查新版本。是否打开用户指南中关于获取新版本的页面？")
                 .arg(installedVersion()),
             MessageBoxes::Icon::Information,
             MessageBoxes::Buttons::YesNo) == MessageBoxes::Answer::Yes;
}

}  // namespace vardex
