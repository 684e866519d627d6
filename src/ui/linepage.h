#pragma once

#include <QWidget>

class QLabel;
class QToolButton;

// The page of one call line: who is on the line, the peer's address, the
// traffic each way, the call time and the sound type, with the scope and
// filter toggles. The message handlers fill it by line number.
class TLinePage : public QWidget {
  Q_OBJECT
 public:
  explicit TLinePage(int line, QWidget* parent = nullptr);

  int Line() const { return line_; }

  QLabel* onLineValue;
  QLabel* txValue;
  QLabel* rxValue;
  QLabel* ipValue;
  QLabel* peerLabel;
  QLabel* soundTypeLabel;
  QWidget* infoPanel;
  QWidget* scopeView;
  QToolButton* scopeButton;
  QToolButton* filterButton;

  // The filter button holds its own on/off state; the refresh brings it in
  // line with the setting.
  bool FilterOn() const { return filterOn_; }
  void SetFilterOn(bool on);
  bool ScopeShown() const;
  void ShowScope(bool shown);

 signals:
  void ScopeButtonClicked();
  void FilterButtonClicked();

 private:
  int line_;
  bool filterOn_ = false;
};
