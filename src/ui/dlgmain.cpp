#include "ui/dlgmain.h"

#include <QCloseEvent>
#include <QContextMenuEvent>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QMenu>
#include <QPainterPath>
#include <QSystemTrayIcon>
#include <QTabBar>
#include <QTabWidget>
#include <QToolButton>
#include <QWindow>

#include "ui/bottombar.h"
#include "ui/clientlist.h"
#include "ui/cscope.h"
#include "ui/linepage.h"
#include "ui/mainmenus.h"
#include "ui/scopeview.h"
#include "ui/skin.h"
#include "ui/titlestrip.h"
#include "ui/trayicon.h"
#include "ui/volumepanel.h"

namespace {

using Command = WindowActions::Command;

// Texts are 8-bit Latin-1 everywhere but on screen.
QString Latin1(const std::string& text) {
  return QString::fromLatin1(text.data(), qsizetype(text.size()));
}

constexpr std::size_t kPeerLabelChars = 15;
constexpr int kBottomTop = TTitleStrip::kHeight + TDlg::kPagesHeight;
// X11's key symbol of the right-hand Control key.
constexpr quint32 kRightControlSymbol = 0xffe4;

}  // namespace

TDlg::TDlg(std::function<bool()> trayHost, QWidget* parent)
    : QWidget(parent, Qt::Window | Qt::FramelessWindowHint), scope_(std::make_unique<CScope>()) {
  setWindowTitle(kCaption);
  setFixedSize(kWidth, kBottomTop + TBottomBar::kHeight);
  setFocusPolicy(Qt::StrongFocus);
  QPalette palette = this->palette();
  palette.setColor(QPalette::Window, QColor(201, 205, 214));
  setPalette(palette);
  setAutoFillBackground(true);
  QFont font("DejaVu Sans");
  font.setPixelSize(11);
  setFont(font);

  titleStrip_ = new TTitleStrip(this);
  titleStrip_->setGeometry(0, 0, kWidth, TTitleStrip::kHeight);
  connect(titleStrip_, &TTitleStrip::CloseZoneReleased, this, [this] { close(); });
  connect(titleStrip_, &TTitleStrip::DragStarted, this, &TDlg::Drag);
  connect(titleStrip_, &TTitleStrip::PropertiesClicked, this, [this] {
    if (actions_) actions_->PropertiesButtonClicked();
    setFocus();
  });

  pages_ = new QTabWidget(this);
  pages_->setGeometry(0, TTitleStrip::kHeight, kWidth, kPagesHeight);
  pages_->setFocusPolicy(Qt::NoFocus);
  pages_->tabBar()->setFocusPolicy(Qt::NoFocus);
  pages_->setIconSize(QSize(12, 12));
  pages_->setStyleSheet(
      "QTabWidget::pane { border: none; background: rgb(201, 205, 214); top: 0px; }"
      "QTabWidget::tab-bar { left: 10px; }"
      "QTabBar::tab { width: 22px; height: 12px; padding: 0; margin: 0 1px 0 0; color: black;"
      "  background: rgb(170, 174, 184); border-top-left-radius: 3px; border-top-right-radius: 3px; }"
      "QTabBar::tab:selected { background: rgb(201, 205, 214); }");

  auto* clientPage = new QWidget;
  auto* background = new QLabel(clientPage);
  background->setGeometry(0, 0, kWidth, kPagesHeight);
  background->setPixmap(skin::Picture("page", QSize(kWidth - 28, kPagesHeight - 15)));
  background->setAlignment(Qt::AlignLeft | Qt::AlignTop);
  background->setContentsMargins(12, 10, 0, 0);
  clientList_ = new TClientList(clientPage);
  clientList_->setGeometry(12, 10, kWidth - 28, kPagesHeight - 12 - 15);
  clientList_->setContextMenuPolicy(Qt::CustomContextMenu);
  pages_->addTab(clientPage, skin::ImageIcon(2), "");
  pages_->setTabToolTip(0, "Client list");
  for (int line = 1; line <= kLines; ++line) {
    auto* page = new TLinePage(line, QSize(kWidth, kPagesHeight));
    linePages_[static_cast<std::size_t>(line - 1)] = page;
    pages_->addTab(page, skin::ImageIcon(2), "");
    pages_->setTabVisible(line, false);
    connect(page, &TLinePage::ScopeButtonClicked, this, [this, line] {
      if (actions_) actions_->ScopeButtonClicked(line);
      setFocus();
    });
    connect(page, &TLinePage::FilterButtonClicked, this, [this, line] {
      if (actions_) actions_->FilterButtonClicked(line);
      setFocus();
    });
    connect(page->scopeView, &TScopeView::Clicked, this, [this] { scope_->ToggleFreeze(); });
  }
  pages_->setCurrentIndex(0);
  connect(pages_, &QTabWidget::currentChanged, this, [this](int page) {
    setFocus();
    if (actions_) actions_->PageChanged(page);
  });

  bottomBar_ = new TBottomBar(this);
  bottomBar_->setGeometry(0, kBottomTop, kWidth, TBottomBar::kHeight);
  connect(bottomBar_->connectButton, &QToolButton::clicked, this, [this] { Run(Command::kConnect); });
  connect(bottomBar_->disconnectButton, &QToolButton::clicked, this, [this] { Run(Command::kDisconnect); });
  connect(bottomBar_->speakerPanel, &TVolumePanel::MuteClicked, this, [this](bool down) {
    if (actions_) actions_->SpeakerMuteClicked(down);
  });
  connect(bottomBar_->micPanel, &TVolumePanel::MuteClicked, this, [this](bool down) {
    if (actions_) actions_->MicMuteClicked(down);
  });
  connect(bottomBar_->speakerPanel, &TVolumePanel::SliderMoved, this, [this](int position) {
    if (actions_ && soundSystemRunning_) actions_->SpeakerSliderMoved(position);
  });
  connect(bottomBar_->micPanel, &TVolumePanel::SliderMoved, this, [this](int position) {
    if (actions_ && soundSystemRunning_) actions_->MicSliderMoved(position);
  });

  menus_ = std::make_unique<TMainMenus>(*this, [this](Command command) { Run(command); });
  connect(clientList_, &TClientList::customContextMenuRequested, this,
          [this](const QPoint& at) { menus_->ClientListMenu().popup(clientList_->mapToGlobal(at)); });
  connect(clientList_, &TClientList::RowChosen, this, [this](int row) {
    setFocus();
    if (actions_) actions_->ClientRowChosen(row);
  });
  connect(clientList_, &TClientList::DragStarted, this, &TDlg::Drag);

  if (!trayHost) trayHost = [] { return QSystemTrayIcon::isSystemTrayAvailable(); };
  tray_ = std::make_unique<TTrayIcon>(kCaption, std::move(trayHost));
  connect(tray_.get(), &TTrayIcon::ShowRequested, this, &TDlg::RestoreFromTray);
  connect(tray_.get(), &TTrayIcon::QuitRequested, this, &TDlg::QuitRequested);

  SetCommandAvailability(Availability{});
}

TDlg::~TDlg() = default;

void TDlg::SetClientRows(const ClientRows* rows) {
  clientList_->SetRows(rows);
}

void TDlg::Run(Command command) {
  if (actions_) actions_->Run(command);
}

// Window shape and place.

void TDlg::resizeEvent(QResizeEvent*) {
  // A screen that is no screen (scripts, tests) has no shapes, and says so.
  if (QGuiApplication::platformName() == "offscreen") return;
  // Rounded corners of 14 by 14: a rectangle with elliptic corners of half that radius.
  QPainterPath path;
  path.addRoundedRect(QRectF(rect()), 7, 7);
  setMask(QRegion(path.toFillPolygon().toPolygon()));
}

void TDlg::Drag() {
  if (QWindow* handle = windowHandle()) handle->startSystemMove();
}

void TDlg::mouseMoveEvent(QMouseEvent* event) {
  if (event->buttons() & Qt::LeftButton) Drag();
}

void TDlg::contextMenuEvent(QContextMenuEvent* event) {
  menus_->WindowMenu().popup(event->globalPos());
}

void TDlg::PopUpWindowMenu() {
  menus_->WindowMenu().popup(mapToGlobal(QPoint(0, 0)));
}

bool TDlg::event(QEvent* event) {
  if (event->type() == QEvent::WindowActivate) {
    setFocus();
    if (actions_) actions_->PageChanged(PageInFront());
  }
  return QWidget::event(event);
}

void TDlg::changeEvent(QEvent* event) {
  // Minimised through the desktop, the window goes to the tray as a close does.
  if (event->type() == QEvent::WindowStateChange && isMinimized() && tray_->HostAvailable()) hide();
  QWidget::changeEvent(event);
}

void TDlg::closeEvent(QCloseEvent* event) {
  if (closeHandler_ && !closeHandler_()) {
    event->ignore();
    return;
  }
  event->accept();
}

// Keys.

bool TDlg::IsRightControl(const QKeyEvent& event) {
  return event.key() == Qt::Key_Control && event.nativeVirtualKey() == kRightControlSymbol;
}

void TDlg::keyPressEvent(QKeyEvent* event) {
  event->accept();  // character keys do nothing
  if (IsRightControl(*event)) {
    if (!event->isAutoRepeat()) rightControl_ = static_cast<uint16_t>(0x8000 | ((rightControl_ ^ 1) & 1));
    return;
  }
  const Qt::KeyboardModifiers held =
      event->modifiers() & (Qt::ShiftModifier | Qt::AltModifier | Qt::ControlModifier);
  const bool ctrl = held == Qt::ControlModifier;
  const bool keypad = event->modifiers() & Qt::KeypadModifier;
  switch (event->key()) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
      Run(Command::kCallSelected);
      break;
    case Qt::Key_Space:
      if (!systemKeyOn_) bottomBar_->micPanel->ToggleMute();
      break;
    case Qt::Key_PageUp:
      StepPage(-1);
      break;
    case Qt::Key_PageDown:
      StepPage(1);
      break;
    case Qt::Key_Plus:
    case Qt::Key_Minus: {
      if (!keypad || !soundSystemRunning_) break;
      const int step = event->key() == Qt::Key_Plus ? TVolumePanel::kKeyStep : -TVolumePanel::kKeyStep;
      if (ctrl) {
        bottomBar_->micPanel->StepSlider(step);
      } else if (held == Qt::NoModifier) {
        bottomBar_->speakerPanel->StepSlider(step);
      }
      break;
    }
    case Qt::Key_F10:  // reaches here only while "Connect with DNS resolve" is disabled
      PopUpWindowMenu();
      break;
    case Qt::Key_M:
      if (ctrl) PopUpWindowMenu();
      break;
    case Qt::Key_S:
      if (ctrl) bottomBar_->speakerPanel->ToggleMute();
      break;
    case Qt::Key_Up:
      MoveSelection(-1);
      break;
    case Qt::Key_Down:
      MoveSelection(1);
      break;
    default:
      break;
  }
}

void TDlg::keyReleaseEvent(QKeyEvent* event) {
  if (IsRightControl(*event) && !event->isAutoRepeat()) rightControl_ &= 0x7FFF;
  event->accept();
}

void TDlg::StepPage(int direction) {
  for (int page = PageInFront() + direction; page >= 0 && page <= kLines; page += direction) {
    if (IsTabShown(page)) {
      pages_->setCurrentIndex(page);
      return;
    }
  }
}

void TDlg::MoveSelection(int direction) {
  if (PageInFront() != 0) return;
  const int count = clientList_->count();
  if (count == 0) return;
  const int row = clientList_->currentRow();
  if (row < 0) {
    clientList_->setCurrentRow(0);
  } else {
    clientList_->setCurrentRow(std::clamp(row + direction, 0, count - 1));
  }
  clientList_->viewport()->update();
  if (actions_) actions_->ClientRowChosen(clientList_->currentRow());
}

// Tray.

void TDlg::ShowTrayMessage(const QString& title, const QString& text) {
  tray_->ShowMessage(title, text);
}

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

void TDlg::UpdateTitlePicture() {
  titleStrip_->SetActive(isActiveWindow());
}

// Pages.

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

void TDlg::ShowLineState(int line, LineState state) {
  // The skin's pictures for a call: free, calling, ringing, connected, closed.
  switch (state) {
    case LineState::kIdle:
      SetTabImage(line, skin::kTabFree);
      break;
    case LineState::kCalling:
      SetTabImage(line, skin::kTabCalling);
      break;
    case LineState::kRinging:
      SetTabImage(line, skin::kTabRinging);
      break;
    case LineState::kConnected:
      SetTabImage(line, skin::kTabConnected);
      break;
    case LineState::kHangUpSent:
    case LineState::kHangUpAcknowledged:
      SetTabImage(line, skin::kTabClosed);
      break;
    case LineState::kAnswered:
      break;  // an answer on its way changes nothing that shows
  }
}

void TDlg::SetTabImage(int page, int image) {
  if (page < 0 || page > kLines) return;
  tabImages_[static_cast<std::size_t>(page)] = image;
  pages_->setTabIcon(page, skin::ImageIcon(image));
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

// Client list.

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

// Line pages.

void TDlg::SetLineValues(int line, const LineValues& values) {
  if (!IsLine(line)) return;
  TLinePage& page = LinePage(line);
  TLinePage::SetText(page.onLineValue, Latin1(values.onLine));
  TLinePage::SetText(page.rxValue, Latin1(values.received));
  TLinePage::SetText(page.txValue, Latin1(values.sent));
  TLinePage::SetText(page.ipValue, Latin1(values.address));
  if (!values.soundType.empty()) TLinePage::SetText(page.soundTypeLabel, Latin1(values.soundType));
}

void TDlg::ShowPeerName(int line, const std::string& name) {
  if (!IsLine(line)) return;
  TLinePage& page = LinePage(line);
  TLinePage::SetText(page.onLineValue, "");
  TLinePage::SetText(page.peerLabel, Latin1(name.substr(0, kPeerLabelChars)));
}

void TDlg::ShowCallQuality(int line, int mark, const std::string& hint) {
  if (IsLine(line)) LinePage(line).ShowQuality(mark, QString::fromStdString(hint));
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

void TDlg::DrawScope(int line, std::span<const int16_t> speaker, std::span<const int16_t> microphone) {
  if (!IsLine(line) || !LinePage(line).ScopeShown()) return;
  TScopeView& view = *LinePage(line).scopeView;
  if (!speaker.empty()) scope_->DrawSpeaker(view.Canvas(), speaker);
  if (!microphone.empty()) scope_->DrawMicrophone(view.Canvas(), microphone);
  view.update();
}

void TDlg::SetScopeZoom(int zoom) {
  scope_->SetZoom(zoom);
}

void TDlg::UnfreezeScope() {
  scope_->Unfreeze();
}

// Bottom bar.

void TDlg::SetSliders(Slider speaker, Slider microphone) {
  bottomBar_->speakerPanel->SetSlider(speaker.position, speaker.enabled);
  bottomBar_->micPanel->SetSlider(microphone.position, microphone.enabled);
}

void TDlg::SetMeters(int speaker, int microphone) {
  bottomBar_->speakerPanel->SetMeter(speaker);
  bottomBar_->micPanel->SetMeter(microphone);
}

void TDlg::SetMuteButtons(bool speakerDown, bool microphoneDown) {
  bottomBar_->speakerPanel->SetMuteDown(speakerDown);
  bottomBar_->micPanel->SetMuteDown(microphoneDown);
}

void TDlg::SetSystemKey(bool on) {
  systemKeyOn_ = on;
  bottomBar_->SetSystemKeyLamp(on);
  menus_->SetSystemKeyChecked(on);
}

void TDlg::SetRestartLamp(bool on) {
  bottomBar_->SetRestartLamp(on);
}

void TDlg::SetCommandAvailability(const Availability& availability) {
  availability_ = availability;
  QToolButton* connectButton = bottomBar_->connectButton;
  QToolButton* disconnectButton = bottomBar_->disconnectButton;
  connectButton->setEnabled(availability.connect);
  disconnectButton->setEnabled(availability.disconnect);
  menus_->SetAvailability(availability.connect, availability.disconnect, availability.add, availability.edit);
}

void TDlg::ShowOwnAddresses(const std::vector<std::string>& addresses) {
  QStringList shown;
  for (const std::string& address : addresses) shown << Latin1(address);
  clientList_->SetOwnAddresses(shown);
}

void TDlg::ApplyLanguage(const TextLookup& texts) {
  const auto text = [&](const char* key) { return texts ? Latin1(texts(key)) : QString(); };
  menus_->ApplyLanguage(texts);
  clientList_->ApplyLanguage(texts);
  tray_->ApplyLanguage(text("Show"), text("Quit"));
  const std::pair<const char*, QWidget*> hints[] = {
      {"InitSound", bottomBar_->restartLamp},
      {"SystemKey", bottomBar_->systemKeyLamp},
      {"Disconnect", bottomBar_->disconnectButton},
      {"Connect", bottomBar_->connectButton},
      {"ClientList", clientList_},
      {"MuteSpeaker", &bottomBar_->speakerPanel->MuteButton()},
      {"MuteMic", &bottomBar_->micPanel->MuteButton()},
  };
  for (const auto& [key, widget] : hints) {
    if (const QString t = text(key); !t.isEmpty()) widget->setToolTip(t);
  }
  for (TLinePage* page : linePages_) page->ApplyLanguage(texts);
}
