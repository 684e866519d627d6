#pragma once

#include <QDialog>
#include <string>

class QLabel;

// The About box: the program's picture, its version, a notice line and the
// credits of the translation in use. It goes away as soon as the user
// clicks it, presses Esc or turns to another window.
class TDlgAbt : public QDialog {
  Q_OBJECT
 public:
  struct Translation {
    bool loaded = false;
    std::string language;  // the language's name
    std::string author;
    std::string version;
  };

  static constexpr int kWidth = 350;
  static constexpr const char* kNotice = "A serverless voice phone: calls go straight from computer to computer.";

  explicit TDlgAbt(QWidget* parent = nullptr);

  // The credits line of a translation: empty without a file or without an
  // author, so each opening shows the same line.
  static std::string TranslationLine(const Translation& translation);
  // Fills the texts and shows the box in the middle of the screen.
  void ShowFor(const std::string& version, const Translation& translation);

  QLabel* pictureLabel;
  QLabel* versionLabel;
  QLabel* noticeLabel;
  QLabel* translationLabel;

 protected:
  bool event(QEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
};
