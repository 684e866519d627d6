#include "ui/dlgcontact.h"

#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>
#include <QRegularExpressionValidator>

#include "core/clientbook.h"
#include "core/messageboxport.h"
#include "core/networkfacts.h"
#include "core/settingnames.h"
#include "core/settingsstore.h"
#include "core/trimmedtext.h"
#include "ui/dialogstyle.h"
#include "ui/filechooser.h"

namespace {

constexpr int kAddressGroupHeight = 75;
constexpr int kDnsGroupHeight = 75;
constexpr int kButtonBarHeight = 36;

QLabel* AddLabel(QWidget* parent, int x, int y, const QString& text) {
  auto* label = new QLabel(text, parent);
  label->setFont(DialogFont());
  label->move(x, y - 2);
  label->adjustSize();
  return label;
}

QPushButton* AddButton(QWidget* parent, const QRect& place, const QString& text) {
  auto* button = new QPushButton(text, parent);
  button->setFont(DialogFont());
  button->setGeometry(place);
  button->setAutoDefault(false);
  return button;
}

QGroupBox* AddGroup(QWidget* parent, const QString& title, int height) {
  auto* group = new QGroupBox(title, parent);
  QFont bold = DialogFont();
  bold.setBold(true);
  group->setFont(bold);
  group->resize(TDlgCntact::kWidth, height);
  return group;
}

}  // namespace

TDlgCntact::TDlgCntact(SettingsStore& settings, ClientBook& clients, NetworkFacts& network,
                       MessageBoxPort& boxes, FileChooser& files, TextLookup texts, QWidget* parent)
    : QDialog(parent, Qt::Tool | Qt::WindowTitleHint | Qt::WindowCloseButtonHint),
      settings_(settings),
      position_(settings, setting::kDlgContactX, setting::kDlgContactY),
      clients_(clients),
      network_(network),
      boxes_(boxes),
      files_(files),
      texts_(std::move(texts)) {
  setWindowTitle("Client");
  setFont(DialogFont());
  BuildAddressGroup();
  BuildDnsGroup();
  BuildButtonBar();
  ShowDnsGroup(false);
}

void TDlgCntact::BuildAddressGroup() {
  addressGroup = AddGroup(this, "Client Address", kAddressGroupHeight);
  ipLabel_ = AddLabel(addressGroup, 8, 30, "Ip address:");
  ipEdit = new QLineEdit(addressGroup);
  ipEdit->setFont(DialogFont());
  ipEdit->setGeometry(77, 22, 121, 21);
  ipEdit->setMaxLength(kMaxIpChars);
  ipEdit->setValidator(new QRegularExpressionValidator(QRegularExpression("[0-9A-Fa-f.:]*"), ipEdit));
  clearButton = AddButton(addressGroup, {202, 23, 80, 17}, "&Clear");
  nameLabel_ = AddLabel(addressGroup, 8, 54, "Name/Host:");
  nameEdit = new QLineEdit(addressGroup);
  nameEdit->setFont(DialogFont());
  nameEdit->setGeometry(77, 46, 121, 21);
  nameEdit->setMaxLength(kMaxNameChars);
  // "," and ";" end the fields of a record in the client file.
  nameEdit->setValidator(new QRegularExpressionValidator(QRegularExpression("[^,;]*"), nameEdit));
  dnsQueryButton = AddButton(addressGroup, {202, 48, 80, 17}, "&DNS Query");
  connect(clearButton, &QPushButton::clicked, this, &TDlgCntact::OnClearClicked);
  connect(dnsQueryButton, &QPushButton::clicked, this, &TDlgCntact::OnDnsQueryClicked);
}

void TDlgCntact::BuildDnsGroup() {
  dnsGroup = AddGroup(this, "DNS Query", kDnsGroupHeight);
  dnsGroup->move(0, kAddressGroupHeight);
  dnsIpLabel_ = AddLabel(dnsGroup, 31, 18, "Ip address:");
  dnsList = new QComboBox(dnsGroup);
  dnsList->setFont(DialogFont());
  dnsList->setEditable(true);
  dnsList->setGeometry(31, 32, 117, 21);
  selectButton = AddButton(dnsGroup, {169, 23, 96, 17}, "&Select");
  cancelDnsButton = AddButton(dnsGroup, {169, 48, 97, 17}, "&Cancel");
  connect(selectButton, &QPushButton::clicked, this, &TDlgCntact::OnSelectClicked);
  connect(cancelDnsButton, &QPushButton::clicked, this, &TDlgCntact::OnCancelDnsClicked);
}

void TDlgCntact::BuildButtonBar() {
  buttonBar_ = AddGroup(this, "", kButtonBarHeight);
  removeButton = AddButton(buttonBar_, {3, 10, 67, 20}, "&Remove");
  updateButton = AddButton(buttonBar_, {74, 10, 67, 20}, "&Update");
  addButton = AddButton(buttonBar_, {145, 10, 66, 20}, "&Add");
  closeButton = AddButton(buttonBar_, {216, 10, 66, 20}, "&Close");
  connect(removeButton, &QPushButton::clicked, this, &TDlgCntact::OnRemoveClicked);
  connect(updateButton, &QPushButton::clicked, this, &TDlgCntact::OnUpdateClicked);
  connect(addButton, &QPushButton::clicked, this, &TDlgCntact::OnAddClicked);
  connect(closeButton, &QPushButton::clicked, this, &QDialog::reject);
}

void TDlgCntact::ShowDnsGroup(bool shown) {
  dnsGroup->setVisible(shown);
  const int barTop = kAddressGroupHeight + (shown ? kDnsGroupHeight : 0);
  buttonBar_->move(0, barTop);
  setFixedSize(kWidth, barTop + kButtonBarHeight);
}

void TDlgCntact::OpenFor(int row) {
  ipEdit->clear();
  nameEdit->clear();
  editedIp_.clear();
  const bool edit = row >= 0;
  if (edit) {
    std::string address, name;
    if (!clients_.ClientAt(row, address, name)) {
      close();
      return;
    }
    ipEdit->setText(FromLatin1(address));
    nameEdit->setText(FromLatin1(name));
    editedIp_ = address;
  }
  removeButton->setEnabled(edit);
  updateButton->setEnabled(edit);
  addButton->setEnabled(!edit);
  closeButton->setEnabled(true);
  // Enter does what the dialog was opened for.
  (edit ? updateButton : addButton)->setDefault(true);
  (edit ? addButton : updateButton)->setDefault(false);
  show();
  raise();
  activateWindow();
  ipEdit->setFocus();
}

void TDlgCntact::FollowSelection(int row) {
  if (updating_) return;
  std::string address, name;
  if (!clients_.ClientAt(row, address, name)) return;
  ipEdit->setText(FromLatin1(address));
  nameEdit->setText(FromLatin1(name));
}

void TDlgCntact::showEvent(QShowEvent* event) {
  position_.Restore(*this);
  ApplyLanguage();
  dnsList->clear();
  QDialog::showEvent(event);
}

void TDlgCntact::StorePosition() {
  position_.Store(*this);
}

void TDlgCntact::ApplyLanguage() {
  const auto apply = [this](auto* control, const std::string& key, const QString& english) {
    control->setText(Translated(texts_, key, english));
  };
  apply(addButton, "Add", "&Add");
  apply(closeButton, "Close", "&Close");
  apply(removeButton, "Remove", "&Remove");
  apply(updateButton, "Update", "&Update");
  addressGroup->setTitle(Translated(texts_, "ClientAddress", "Client Address"));
  apply(clearButton, "Clear", "&Clear");
  apply(nameLabel_, "NameHost", "Name/Host:");
  apply(ipLabel_, "IpAddress", "Ip address:");
  apply(dnsIpLabel_, "IpAddress", "Ip address:");
  nameLabel_->adjustSize();
  ipLabel_->adjustSize();
  dnsIpLabel_->adjustSize();
  setWindowTitle(Translated(texts_, "ClientEdit", "Client"));
  apply(dnsQueryButton, "DnsQuery", "&DNS Query");
  dnsGroup->setTitle(Translated(texts_, "DnsQuery", "DNS Query"));
  apply(selectButton, "Select", "&Select");
  apply(cancelDnsButton, "Cancel", "&Cancel");
}

std::string TDlgCntact::IpText() const {
  return ToLatin1(ipEdit->text());
}

std::string TDlgCntact::NameText() const {
  return ToLatin1(nameEdit->text());
}

void TDlgCntact::Refuse(const std::string& key, const std::string& english) {
  boxes_.ShowError(TextOr(texts_, key, english));
}

bool TDlgCntact::AddressIsValid() {
  const std::string ip = IpText();
  const NetAddress address = network_.ParseAddress(ip);
  // Comparing with the address's own text refuses leading zeros and short
  // forms such as "10.0.0", which the parser would take for other
  // addresses; of IPv6 hex digits, capitals are as good as small ones and
  // are stored small.
  const std::string lower = QString::fromLatin1(ip).toLower().toLatin1().toStdString();
  if (!address.IsNone() && !network_.IsOwnAddress(address) && address.Text() == lower) {
    if (lower != ip) ipEdit->setText(FromLatin1(lower));
    return true;
  }
  Refuse("InvalidIPAdress", "Invalid Ip address: " + ip + "," + NameText());
  return false;
}

bool TDlgCntact::NameIsValid() {
  const std::string name = TrimmedText(NameText());
  nameEdit->setText(FromLatin1(name));
  if (name.size() >= kMinNameChars) return true;
  Refuse("ShortName", "Name is to short");
  return false;
}

void TDlgCntact::OnAddClicked() {
  if (!AddressIsValid() || !NameIsValid()) return;
  if (clients_.Add(IpText(), NameText())) {
    // Kept at once, so a client typed in is not lost if the program ends
    // before the dialog closes; an import writes once at its end.
    if (!importing_) clients_.WriteStoredCopy();
  } else if (!importing_) {
    Refuse("ClientExists", "Client exists: " + IpText() + "," + NameText());
  }
}

void TDlgCntact::OnUpdateClicked() {
  if (!AddressIsValid() || !NameIsValid()) return;
  const std::string ip = IpText();
  const std::string name = NameText();
  // The address may belong to another client already; removing the edited
  // one first would then lose it.
  if (ip != editedIp_ && clients_.Contains(ip)) {
    Refuse("ClientExists", "Client exists: " + ip + "," + name);
    return;
  }
  std::string oldName;
  clients_.Rewind();
  for (std::string address, n; clients_.Next(address, n);) {
    if (address == editedIp_) oldName = n;
  }
  // Read first: removing the client clears the automatic call to it.
  std::string autoCall;
  const bool wasAutoCall = settings_.GetString(setting::kAutoCallOutIp, autoCall) && autoCall == editedIp_;
  updating_ = true;
  const bool removed = clients_.Remove(editedIp_);
  if (wasAutoCall) settings_.SetString(setting::kAutoCallOutIp, ip);
  if (!clients_.Add(ip, name)) {
    if (removed) clients_.Add(editedIp_, oldName);
    updating_ = false;
    Refuse("ClientExists", "Client exists: " + ip + "," + name);
    return;
  }
  updating_ = false;
  editedIp_ = ip;
  clients_.WriteStoredCopy();
}

void TDlgCntact::OnRemoveClicked() {
  if (!AddressIsValid()) return;
  if (clients_.Remove(IpText())) {
    close();
    return;
  }
  Refuse("ClientNotExists", "Client do not exists");
}

void TDlgCntact::OnClearClicked() {
  ipEdit->clear();
  nameEdit->clear();
  ipEdit->setFocus();
}

void TDlgCntact::OnDnsQueryClicked() {
  dnsList->clear();
  const std::string host = NameText();
  if (host.empty()) {
    ShowDnsFound({});
    return;
  }
  // The lookup runs away from the window, which stays usable meanwhile.
  dnsQueryButton->setEnabled(false);
  setCursor(Qt::BusyCursor);
  network_.ResolveAll(host, [dialog = QPointer<TDlgCntact>(this)](const std::vector<std::string>& found) {
    if (dialog) dialog->ShowDnsFound(found);
  });
}

void TDlgCntact::ShowDnsFound(const std::vector<std::string>& found) {
  dnsQueryButton->setEnabled(true);
  unsetCursor();
  if (!found.empty()) {
    for (const std::string& address : found) dnsList->addItem(FromLatin1(address));
    dnsList->setCurrentIndex(0);
    ShowDnsGroup(true);
    return;
  }
  ShowDnsGroup(false);
  // The one word on a failed lookup, whether the name was empty or unknown.
  boxes_.ShowTitledInfo(TextOr(texts_, "DnsQuery", "DNS Query"),
                        TextOr(texts_, "IpNotFound", "Ip address not found"));
}

void TDlgCntact::OnSelectClicked() {
  ipEdit->setText(dnsList->currentText());
  OnCancelDnsClicked();
}

void TDlgCntact::OnCancelDnsClicked() {
  ShowDnsGroup(false);
  dnsList->clear();
}

void TDlgCntact::done(int result) {
  QDialog::done(result);
  clients_.WriteStoredCopy();
}

void TDlgCntact::ImportClients() {
  const auto path = files_.Choose({"Import clients", "Client lists (*.txt);;All files (*)", "txt", "", false});
  if (!path) return;
  importing_ = true;
  const bool read = clients_.Import(*path, [this](const std::string& address, const std::string& name) {
    ipEdit->setText(FromLatin1(address));
    nameEdit->setText(FromLatin1(name));
    OnAddClicked();
  });
  importing_ = false;
  if (!read) boxes_.ShowError("Could not read the client list " + *path);
}

void TDlgCntact::ExportClients() {
  const auto path = files_.Choose({"Export clients", "Client lists (*.txt);;All files (*)", "txt", "", true});
  if (!path) return;
  if (!clients_.Export(*path)) boxes_.ShowError("Could not write the client list " + *path);
}
