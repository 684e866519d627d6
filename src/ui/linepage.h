#pragma once

#include <QRect>
#include <QWidget>

#include "core/textlookup.h"

class QLabel;
class QToolButton;
class TScopeView;

// The page of one call line: who is on the line, the peer's address, the
// traffic each way, the call time and the sound type, the scope view that
// takes the place of the call figures while it is shown, and the scope and
// filter toggles. Everything is placed from the page control's size.
class TLinePage : public QWidget {
  Q_OBJECT
 public:
  // Places of the page's controls for a page control of the given size.
  struct Layout {
    explicit Layout(QSize pages);
    int h;  // height div 8
    int w;  // width div 5
    QRect infoPanel, scopeView, scopeButton, filterButton, separator;
    QPoint onLineCaption, onLineValue, txCaption, txValue;  // on the info panel
    QPoint ipCaption, ipValue, rxCaption, rxValue, peerLabel, soundTypeLabel;
    QRect qualityMark;
  };

  TLinePage(int line, QSize pages, QWidget* parent = nullptr);

  int Line() const { return line_; }

  QLabel* onLineCaption;
  QLabel* onLineValue;
  QLabel* txCaption;
  QLabel* txValue;
  QLabel* ipCaption;
  QLabel* ipValue;
  QLabel* rxCaption;
  QLabel* rxValue;
  QLabel* peerLabel;
  QLabel* soundTypeLabel;
  // A dot in the call's quality colour, the figures behind it as its hint.
  QLabel* qualityMark;
  QWidget* infoPanel;
  QWidget* separator;
  TScopeView* scopeView;
  QToolButton* scopeButton;
  QToolButton* filterButton;

  // The filter button holds its own on/off state; the refresh brings it in
  // line with the setting.
  bool FilterOn() const { return filterOn_; }
  void SetFilterOn(bool on);
  bool ScopeShown() const;
  void ShowScope(bool shown);
  // 0 hides the mark; 1, 2 and 3 are good, fair and poor.
  void ShowQuality(int mark, const QString& hint);
  int QualityShown() const { return quality_; }

  void ApplyLanguage(const TextLookup& texts);
  // Labels size themselves to their text, as they grow with it.
  static void SetText(QLabel* label, const QString& text);

 signals:
  void ScopeButtonClicked();
  void FilterButtonClicked();

 protected:
  void paintEvent(QPaintEvent* event) override;

 private:
  int line_;
  bool filterOn_ = false;
  int quality_ = 0;
};
