#include "ui/dlgmain.h"

#include <QCloseEvent>
#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QSystemTrayIcon>
#include <QTabWidget>
#include <QToolButton>
#include <QVBoxLayout>
#include <memory>

#include "ui/linepage.h"
#include "ui/trayicon.h"

namespace {

// Texts are 8-bit Latin-1 everywhere but on screen.
QString Latin1(const std::string& text) {
  return QString::fromLatin1(text.data(), qsizetype(text.size()));
}

constexpr std::size_t kPeerLabelChars = 15;

}  // namespace

TDlg::TDlg(std::function<bool()> trayHost, QWidget* parent) : QWidget(parent) {
  setWindowTitle(kCaption);
  if (!trayHost) trayHost = [] { return QSystemTrayIcon::isSystemTrayAvailable(); };
  tray_ = std::make_unique<TTrayIcon>(kCaption, std::move(trayHost));
  connect(tray_.get(), &TTrayIcon::ShowRequested, this, &TDlg::RestoreFromTray);
  connect(tray_.get(), &TTrayIcon::QuitRequested, this, &TDlg::QuitRequested);
  auto* layout = new QVBoxLayout(this);
  pages_ = new QTabWidget(this);
  clientList_ = new QListWidget;
  clientList_->setToolTip("Client list");
  pages_->addTab(clientList_, "");
  for (int line = 1; line <= kLines; ++line) {
    linePages_[line - 1] = new TLinePage(line);
    pages_->addTab(linePages_[line - 1], QString::number(line));
    pages_->setTabVisible(line, false);
  }
  pages_->setCurrentIndex(0);
  layout->addWidget(pages_);

  auto* bar = new QHBoxLayout;
  disconnectButton_ = new QToolButton;
  disconnectButton_->setText("No");
  connectButton_ = new QToolButton;
  connectButton_->setText("Yes");
  bar->addWidget(disconnectButton_);
  bar->addStretch();
  bar->addWidget(connectButton_);
  layout->addLayout(bar);

  connect(pages_, &QTabWidget::currentChanged, this, &TDlg::PageChanged);
  connect(connectButton_, &QToolButton::clicked, this, &TDlg::ConnectClicked);
  connect(disconnectButton_, &QToolButton::clicked, this, &TDlg::DisconnectClicked);
  SetCommandAvailability(false, false, true, false);
}

TDlg::~TDlg() = default;

void TDlg::SendToTray() {
  // Hidden with no icon to bring it back, the window would be lost to the
  // user; without a tray host it waits on the task bar instead.
  if (tray_->HostAvailable()) {
    hide();
  } else {
    showMinimized();
  }
}

void TDlg::RestoreFromTray() {
  showNormal();
  raise();
  activateWindow();
}

void TDlg::SetTrayFrame(int frame) {
  tray_->SetFrame(frame);
}

TLinePage& TDlg::LinePage(int line) const {
  return *linePages_.at(static_cast<std::size_t>(line - 1));
}

bool TDlg::IsTabShown(int page) const {
  return page == 0 || (IsLine(page) && pages_->isTabVisible(page));
}

void TDlg::ShowTab(int page, bool shown) {
  if (!IsLine(page)) return;
  pages_->setTabVisible(page, shown);
}

void TDlg::SetTabImage(int page, int image) {
  if (page < 0 || page > kLines) return;
  tabImages_[static_cast<std::size_t>(page)] = image;
}

int TDlg::TabImage(int page) const {
  return page >= 0 && page <= kLines ? tabImages_[static_cast<std::size_t>(page)] : -1;
}

int TDlg::PageInFront() const {
  return pages_->currentIndex();
}

void TDlg::BringToFront(int page) {
  if (IsTabShown(page)) pages_->setCurrentIndex(page);
}

int TDlg::ClientRowCount() const {
  return clientList_->count();
}

int TDlg::SelectedClientRow() const {
  return clientList_->currentRow();
}

void TDlg::SelectClientRow(int row) {
  if (row >= 0 && row < clientList_->count()) clientList_->setCurrentRow(row);
}

void TDlg::AddClientRow() {
  clientList_->addItem(QString());
}

void TDlg::RemoveClientRow(int row) {
  std::unique_ptr<QListWidgetItem>(clientList_->takeItem(row)).reset();
}

void TDlg::RepaintClientList() {
  clientList_->viewport()->update();
}

void TDlg::SetLineValues(int line, const LineValues& values) {
  if (!IsLine(line)) return;
  TLinePage& page = LinePage(line);
  page.onLineValue->setText(Latin1(values.onLine));
  page.rxValue->setText(Latin1(values.received));
  page.txValue->setText(Latin1(values.sent));
  page.ipValue->setText(Latin1(values.address));
  if (!values.soundType.empty()) page.soundTypeLabel->setText(Latin1(values.soundType));
}

void TDlg::ShowPeerName(int line, const std::string& name) {
  if (!IsLine(line)) return;
  TLinePage& page = LinePage(line);
  page.onLineValue->clear();
  page.peerLabel->setText(Latin1(name.substr(0, kPeerLabelChars)));
}

std::string TDlg::ShownSoundType(int line) const {
  return IsLine(line) ? LinePage(line).soundTypeLabel->text().toLatin1().toStdString() : std::string();
}

bool TDlg::ScopeShown(int line) const {
  return IsLine(line) && LinePage(line).ScopeShown();
}

void TDlg::ShowScope(int line, bool shown) {
  if (IsLine(line)) LinePage(line).ShowScope(shown);
}

bool TDlg::FilterShownOn(int line) const {
  return IsLine(line) && LinePage(line).FilterOn();
}

void TDlg::ShowFilterOn(int line, bool on) {
  if (IsLine(line)) LinePage(line).SetFilterOn(on);
}

void TDlg::SetCommandAvailability(bool connect, bool disconnect, bool add, bool edit) {
  connectButton_->setEnabled(connect);
  connectButton_->setToolTip(connect ? "Connect" : "");
  disconnectButton_->setEnabled(disconnect);
  disconnectButton_->setToolTip(disconnect ? "Disconnect" : "");
  addEnabled_ = add;
  editEnabled_ = edit;
}

void TDlg::closeEvent(QCloseEvent* event) {
  if (closeHandler_ && !closeHandler_()) {
    event->ignore();
    return;
  }
  event->accept();
}
