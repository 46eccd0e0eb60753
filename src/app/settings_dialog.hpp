// Settings dialog: shows the survey settings in text and check boxes, saves them through the save
// rule of the settings, and hands the saved copy back to the window that opened it.
#pragma once

#include <QDialog>
#include <array>
#include <functional>
#include <map>

#include "app/guide_pages.hpp"
#include "settings/survey_settings.hpp"

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;

namespace vardex {

class MessageBoxes;

/// The modal settings dialog. It edits a copy of the settings: each show fills its boxes from
/// the copy, "设置" checks the boxes with SetConfig and on success replaces the copy and emits
/// settingsSaved, and "关闭" closes without saving. Clicking any of its labels opens a page of
/// the user guide.
class SettingsDialog : public QDialog {
  Q_OBJECT

 public:
  /// Opens a page of the user guide; the default opens it in the desktop's browser.
  using PageOpener = std::function<void(GuidePage)>;

  /// `settings` are those in force. Every message goes through `messages`, which must outlive
  /// the dialog.
  SettingsDialog(const SurveySettings& settings, MessageBoxes& messages, QWidget* parent = nullptr);

  /// The settings given or last saved; the boxes are filled from them at every show.
  const SurveySettings& settings() const { return mSettings; }
  void setSettings(const SurveySettings& settings) { mSettings = settings; }

  void setPageOpener(PageOpener opener) { mPageOpener = std::move(opener); }

  /// The page that a click on the label `LabelInfo(index)` opens.
  static GuidePage pageForLabel(int index);

 signals:
  /// A save succeeded: `settings` are now in force for the next calculation.
  void settingsSaved(const vardex::SurveySettings& settings);

 protected:
  void showEvent(QShowEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void buildSettingsPanel();
  void buildAboutPanel();
  QLabel* addLabel(QWidget* panel, int index, const QString& text, const QRect& designed);
  void getConfig();
  void setConfig();

  SurveySettings mSettings;
  MessageBoxes& mMessages;
  PageOpener mPageOpener;
  std::array<QLineEdit*, 2> mTextPM{};
  std::array<QLineEdit*, 8> mTextSZ{};
  QCheckBox* mCheckSZ = nullptr;
  QCheckBox* mCheckZJD = nullptr;
  QCheckBox* mCheckMiters = nullptr;
  QComboBox* mComboClass = nullptr;     ///< the levelling class, by name
  QComboBox* mComboBasis = nullptr;     ///< the closure basis, n or L
  std::map<QObject*, int> mLabelIndex;  ///< LabelInfo index of each clickable label
};

}  // namespace vardex
