#pragma once

#include <QDialog>
#include <string>
#include <vector>

#include "core/textlookup.h"
#include "ui/dialogposition.h"

class ClientBook;
class FileChooser;
class MessageBoxPort;
class NetworkFacts;
class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class SettingsStore;

// The client dialog: add a client (a named IPv4 address), change or remove
// one, look a host name up, and import or export the client list as a text
// file. It checks what the user typed; the client list keeps the clients.
// It is not modal: while it is open its fields follow the client chosen in
// the main window's list.
class TDlgCntact : public QDialog {
  Q_OBJECT
 public:
  static constexpr int kWidth = 287;
  static constexpr int kMaxIpChars = 45;  // the longest IPv6 text
  static constexpr int kMaxNameChars = 30;
  static constexpr std::size_t kMinNameChars = 3;

  TDlgCntact(SettingsStore& settings, ClientBook& clients, NetworkFacts& network, MessageBoxPort& boxes,
             FileChooser& files, TextLookup texts, QWidget* parent = nullptr);

  // -1: empty, for a new client. A row of the main window's list: that
  // client, to update or remove. A row that names no client closes it.
  void OpenFor(int row);
  // The main window's list chose a row.
  void FollowSelection(int row);
  void ImportClients();
  void ExportClients();
  // At quitting, where the user left it.
  void StorePosition();

  // Controls, by role.
  QLineEdit* ipEdit;
  QLineEdit* nameEdit;
  QPushButton* clearButton;
  QPushButton* dnsQueryButton;
  QGroupBox* addressGroup;
  QGroupBox* dnsGroup;
  QComboBox* dnsList;
  QPushButton* selectButton;
  QPushButton* cancelDnsButton;
  QPushButton* removeButton;
  QPushButton* updateButton;
  QPushButton* addButton;
  QPushButton* closeButton;

 public slots:
  void OnAddClicked();
  void OnUpdateClicked();
  void OnRemoveClicked();
  void OnClearClicked();
  void OnDnsQueryClicked();
  void OnSelectClicked();
  void OnCancelDnsClicked();

 protected:
  void showEvent(QShowEvent* event) override;
  void done(int result) override;

 private:
  void BuildAddressGroup();
  void BuildDnsGroup();
  void BuildButtonBar();
  void ApplyLanguage();
  void ShowDnsGroup(bool shown);
  void ShowDnsFound(const std::vector<std::string>& found);
  std::string IpText() const;
  std::string NameText() const;
  // The checks of Add, Update and Remove; each tells the user why it failed.
  bool AddressIsValid();
  bool NameIsValid();
  void Refuse(const std::string& key, const std::string& english);

  SettingsStore& settings_;
  CDialogPosition position_;
  ClientBook& clients_;
  NetworkFacts& network_;
  MessageBoxPort& boxes_;
  FileChooser& files_;
  TextLookup texts_;
  QLabel* nameLabel_;
  QLabel* ipLabel_;
  QLabel* dnsIpLabel_;
  QWidget* buttonBar_;
  std::string editedIp_;
  bool importing_ = false;
  bool updating_ = false;
};
