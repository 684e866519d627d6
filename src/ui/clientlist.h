#pragma once

#include <QListWidget>
#include <QStringList>

#include "core/textlookup.h"

class ClientRows;

// The client list of page 0: black, one 16-pixel row per client with its
// presence mark and its name, bold while the client is online; the row
// under the pointer tells the client's address and name. Rows are drawn from
// the client list itself; the list's own items only count the rows.
//
// While there is no client, the list says what to do first: how to add a
// friend, and the addresses a friend calls this computer at.
class TClientList : public QListWidget {
  Q_OBJECT
 public:
  static constexpr int kRowHeight = 16;

  explicit TClientList(QWidget* parent = nullptr);

  void SetRows(const ClientRows* rows) { rows_ = rows; }
  const ClientRows* Rows() const { return rows_; }

  // "10.0.0.7  Office" for the row, "" past the last one.
  QString RowHint(int row) const;

  // The addresses (with the port where it is not the usual one) shown
  // while the list is empty.
  void SetOwnAddresses(const QStringList& addresses);
  void ApplyLanguage(const TextLookup& texts);
  // What the empty list shows, paragraph by paragraph; empty with clients.
  QStringList GuideText() const;

 signals:
  void RowChosen(int row);
  void DragStarted();

 protected:
  void mousePressEvent(QMouseEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;
  void paintEvent(QPaintEvent* event) override;

 private:
  const ClientRows* rows_ = nullptr;
  QStringList ownAddresses_;
  QString howToAdd_;
  QString callsYouAt_;
  QString noAddress_;
};
