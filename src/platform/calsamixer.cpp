#include "platform/calsamixer.h"

#include <alsa/asoundlib.h>
#include <fcntl.h>
#include <poll.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <cerrno>
#include <cstdlib>
#include <iterator>
#include <system_error>

#include "core/audiobackend.h"

namespace {

// The playback and capture halves of the simple-element API, so that one
// piece of code serves whichever side the mixer was opened for.
struct Direction {
  int (*hasVolume)(snd_mixer_elem_t*);
  int (*range)(snd_mixer_elem_t*, long*, long*);
  int (*hasChannel)(snd_mixer_elem_t*, snd_mixer_selem_channel_id_t);
  int (*volume)(snd_mixer_elem_t*, snd_mixer_selem_channel_id_t, long*);
  int (*setVolumeAll)(snd_mixer_elem_t*, long);
  int (*hasSwitch)(snd_mixer_elem_t*);
  int (*switchOn)(snd_mixer_elem_t*, snd_mixer_selem_channel_id_t, int*);
  int (*setSwitchAll)(snd_mixer_elem_t*, int);
};

constexpr Direction kPlayback{
    snd_mixer_selem_has_playback_volume,     snd_mixer_selem_get_playback_volume_range,
    snd_mixer_selem_has_playback_channel,    snd_mixer_selem_get_playback_volume,
    snd_mixer_selem_set_playback_volume_all, snd_mixer_selem_has_playback_switch,
    snd_mixer_selem_get_playback_switch,     snd_mixer_selem_set_playback_switch_all};
constexpr Direction kCapture{snd_mixer_selem_has_capture_volume,     snd_mixer_selem_get_capture_volume_range,
                             snd_mixer_selem_has_capture_channel,    snd_mixer_selem_get_capture_volume,
                             snd_mixer_selem_set_capture_volume_all, snd_mixer_selem_has_capture_switch,
                             snd_mixer_selem_get_capture_switch,     snd_mixer_selem_set_capture_switch_all};

const Direction& DirectionOf(MixerSide side) {
  return side == MixerSide::Playback ? kPlayback : kCapture;
}

// Calls visit(channel) for each channel the element has on that side; stops
// and returns false as soon as visit does.
template <typename Visit>
bool EachChannel(snd_mixer_elem_t* elem, const Direction& d, Visit visit) {
  for (int c = SND_MIXER_SCHN_FRONT_LEFT; c <= SND_MIXER_SCHN_LAST; ++c) {
    const auto channel = static_cast<snd_mixer_selem_channel_id_t>(c);
    if (d.hasChannel(elem, channel) && !visit(channel)) return false;
  }
  return true;
}

// Wave-output names, best first.
constexpr std::array<const char*, 6> kWaveOutNames = {"Master",    "PCM",   "Speaker",
                                                      "Headphone", "Front", "Wave"};

bool Holds(const std::string& name, const char* part) {
  return name.find(part) != std::string::npos;
}

bool IsOrStartsWith(const std::string& name, const std::string& word) {
  return name == word || name.rfind(word + " ", 0) == 0;
}

// Position among the wave-output names; past them for any other name.
std::size_t WaveOutRank(const std::string& name) {
  const auto it = std::find_if(kWaveOutNames.begin(), kWaveOutNames.end(),
                               [&name](const char* word) { return IsOrStartsWith(name, word); });
  return static_cast<std::size_t>(std::distance(kWaveOutNames.begin(), it));
}

bool IsOther(const std::string& name) {
  return Holds(name, "Boost") || Holds(name, "Beep");
}

// 31-bit FNV-1a: stays positive in the message's wParam.
MixerControlId Hash(const std::string& text) {
  uint32_t hash = 2166136261u;
  for (const char c : text) {
    hash ^= static_cast<unsigned char>(c);
    hash *= 16777619u;
  }
  return hash & 0x7fffffffu;
}

std::vector<std::pair<int, std::string>> SoundCards() {
  std::vector<std::pair<int, std::string>> cards;
  int card = -1;
  while (snd_card_next(&card) == 0 && card >= 0) {
    char* name = nullptr;
    if (snd_card_get_name(card, &name) == 0 && name != nullptr) cards.emplace_back(card, name);
    std::free(name);
  }
  return cards;
}

}  // namespace

CAlsaMixer::CAlsaMixer(DeviceNames names) : names_(std::move(names)) {}

CAlsaMixer::CAlsaMixer(AudioBackend& devices)
    : CAlsaMixer([&devices](MixerSide side, int device, std::string& name) {
        return side == MixerSide::Playback ? devices.OutputDeviceName(device, name)
                                           : devices.InputDeviceName(device, name);
      }) {}

CAlsaMixer::~CAlsaMixer() {
  Close();
}

void CAlsaMixer::SetChangeCallback(ChangeCallback callback) {
  std::lock_guard lock(mutex_);
  callback_ = std::move(callback);
}

bool CAlsaMixer::Open(MixerSide side, int device) {
  Close();
  std::vector<std::string> candidates = {"default"};
  std::string deviceName;
  if (device >= 0 && names_ && names_(side, device, deviceName)) {
    candidates = MixerCandidates(deviceName, SoundCards());
  }
  std::lock_guard lock(mutex_);
  side_ = side;
  for (const std::string& name : candidates) {
    if (Attach(name)) return true;
  }
  return false;
}

// Called with the lock held and nothing open.
bool CAlsaMixer::Attach(const std::string& name) {
  snd_mixer_t* handle = nullptr;
  if (snd_mixer_open(&handle, 0) < 0) return false;
  if (snd_mixer_attach(handle, name.c_str()) < 0 || snd_mixer_selem_register(handle, nullptr, nullptr) < 0 ||
      snd_mixer_load(handle) < 0) {
    snd_mixer_close(handle);
    return false;
  }
  handle_ = handle;
  mixerName_ = name;
  snd_mixer_set_callback(handle_, &CAlsaMixer::OnMixerEvent);
  snd_mixer_set_callback_private(handle_, this);
  for (snd_mixer_elem_t* elem = snd_mixer_first_elem(handle_); elem != nullptr;
       elem = snd_mixer_elem_next(elem)) {
    Track(elem);
  }
  if (StartWatching()) return true;
  snd_mixer_close(handle_);
  handle_ = nullptr;
  mixerName_.clear();
  elements_.clear();
  return false;
}

bool CAlsaMixer::StartWatching() {
  if (::pipe2(wake_, O_CLOEXEC | O_NONBLOCK) != 0) return false;
  watching_ = true;
  try {
    watcher_ = std::thread(&CAlsaMixer::Watch, this, callback_);
    return true;
  } catch (const std::system_error&) {
    watching_ = false;
    for (int& fd : wake_) {
      ::close(fd);
      fd = -1;
    }
    return false;
  }
}

void CAlsaMixer::Close() {
  if (watcher_.joinable()) {
    const char byte = 1;
    [[maybe_unused]] const auto written = ::write(wake_[1], &byte, 1);
    watcher_.join();
  }
  for (int& fd : wake_) {
    if (fd >= 0) ::close(fd);
    fd = -1;
  }
  std::lock_guard lock(mutex_);
  if (handle_ != nullptr) snd_mixer_close(handle_);
  handle_ = nullptr;
  mixerName_.clear();
  elements_.clear();
  pending_.clear();
}

void CAlsaMixer::Watch(ChangeCallback callback) {
  std::vector<pollfd> fds;
  std::vector<Event> events;
  for (;;) {
    int count = 0;
    {
      std::lock_guard lock(mutex_);
      count = std::max(snd_mixer_poll_descriptors_count(handle_), 0);
      fds.assign(static_cast<std::size_t>(count) + 1, pollfd{});
      count = std::max(snd_mixer_poll_descriptors(handle_, fds.data() + 1, static_cast<unsigned>(count)), 0);
    }
    fds[0] = pollfd{wake_[0], POLLIN, 0};
    if (::poll(fds.data(), static_cast<nfds_t>(count) + 1, -1) < 0) {
      if (errno == EINTR) continue;
      break;
    }
    if (fds[0].revents != 0) break;  // Close wants the thread back
    {
      std::lock_guard lock(mutex_);
      unsigned short revents = 0;
      if (snd_mixer_poll_descriptors_revents(handle_, fds.data() + 1, static_cast<unsigned>(count),
                                             &revents) < 0 ||
          (revents & (POLLERR | POLLHUP | POLLNVAL)) != 0) {
        break;
      }
      if ((revents & POLLIN) != 0 && snd_mixer_handle_events(handle_) < 0) break;
      events.swap(pending_);
    }
    for (const Event& event : events) {
      if (callback) callback(event.change, event.id);
    }
    events.clear();
  }
  watching_ = false;
}

int CAlsaMixer::OnMixerEvent(snd_mixer_t* mixer, unsigned int mask, snd_mixer_elem_t* elem) {
  auto* self = static_cast<CAlsaMixer*>(snd_mixer_get_callback_private(mixer));
  if (self != nullptr && elem != nullptr && (mask & SND_CTL_EVENT_MASK_ADD) != 0) {
    self->Track(elem);
    self->pending_.push_back({MixerChange::Line, self->IdOf(elem)});
  }
  return 0;
}

int CAlsaMixer::OnElementEvent(snd_mixer_elem_t* elem, unsigned int mask) {
  auto* self = static_cast<CAlsaMixer*>(snd_mixer_elem_get_callback_private(elem));
  if (self == nullptr) return 0;
  if (mask == SND_CTL_EVENT_MASK_REMOVE) {
    // ALSA frees the element after this call; nothing may keep pointing at it.
    for (Element& e : self->elements_) {
      if (e.elem == elem) e.elem = nullptr;
    }
  } else if ((mask & SND_CTL_EVENT_MASK_VALUE) != 0) {
    self->pending_.push_back({MixerChange::Control, self->IdOf(elem)});
  } else if ((mask & SND_CTL_EVENT_MASK_INFO) != 0) {
    self->pending_.push_back({MixerChange::Line, self->IdOf(elem)});
  }
  return 0;
}

// Called with the lock held, from Attach or from ALSA's event handling.
void CAlsaMixer::Track(snd_mixer_elem_t* elem) {
  const MixerControlId id = IdOf(elem);
  snd_mixer_elem_set_callback(elem, &CAlsaMixer::OnElementEvent);
  snd_mixer_elem_set_callback_private(elem, this);
  for (Element& e : elements_) {
    if (e.id != id) continue;
    // Back after a removal, the slot that held it works again; a live element
    // under the same number would be a hash collision, and the first one keeps it.
    if (e.elem == nullptr) e.elem = elem;
    return;
  }
  elements_.push_back({id, elem});
}

MixerControlId CAlsaMixer::IdOf(snd_mixer_elem_t* elem) const {
  std::string key = mixerName_;
  key += '\0';
  key += snd_mixer_selem_get_name(elem);
  key += '\0';
  key += std::to_string(snd_mixer_selem_get_index(elem));
  return Hash(key);
}

snd_mixer_elem_t* CAlsaMixer::Find(MixerControlId id) const {
  for (const Element& e : elements_) {
    if (e.id == id) return e.elem;
  }
  return nullptr;
}

snd_mixer_elem_t* CAlsaMixer::FindVolume(MixerControlId id) const {
  snd_mixer_elem_t* elem = Find(id);
  return elem != nullptr && DirectionOf(side_).hasVolume(elem) ? elem : nullptr;
}

std::optional<MixerControlId> CAlsaMixer::PlaybackVolume() {
  std::lock_guard lock(mutex_);
  if (side_ != MixerSide::Playback) return std::nullopt;
  for (const Element& e : elements_) {
    if (e.elem != nullptr && snd_mixer_selem_has_playback_volume(e.elem) &&
        std::string(snd_mixer_selem_get_name(e.elem)) == "Master") {
      return e.id;
    }
  }
  return std::nullopt;
}

std::vector<MixerLine> CAlsaMixer::VolumeLines(MixerLineType (*type)(const std::string&)) const {
  std::vector<MixerLine> lines;
  for (const Element& e : elements_) {
    if (e.elem == nullptr || !DirectionOf(side_).hasVolume(e.elem)) continue;
    const std::string name = snd_mixer_selem_get_name(e.elem);
    lines.push_back({name, type(name), e.id});
  }
  return lines;
}

std::vector<MixerLine> CAlsaMixer::PlaybackLines() {
  std::lock_guard lock(mutex_);
  if (side_ != MixerSide::Playback) return {};
  std::vector<MixerLine> lines = VolumeLines(&CAlsaMixer::PlaybackType);
  std::stable_sort(lines.begin(), lines.end(), [](const MixerLine& a, const MixerLine& b) {
    const auto rank = [](const MixerLine& l) {
      return l.type == MixerLineType::WaveOut ? WaveOutRank(l.name) : kWaveOutNames.size();
    };
    return rank(a) < rank(b);
  });
  return lines;
}

std::vector<MixerLine> CAlsaMixer::CaptureLines() {
  std::lock_guard lock(mutex_);
  if (side_ != MixerSide::Capture) return {};
  return VolumeLines(&CAlsaMixer::CaptureType);
}

std::vector<MixerLine> CAlsaMixer::SelectorLines() {
  std::lock_guard lock(mutex_);
  if (side_ != MixerSide::Capture) return {};
  const auto selector = std::find_if(elements_.begin(), elements_.end(), [](const Element& e) {
    return e.elem != nullptr && snd_mixer_selem_is_enum_capture(e.elem);
  });
  if (selector == elements_.end()) return {};
  const std::vector<MixerLine> volumes = VolumeLines(&CAlsaMixer::CaptureType);
  std::vector<MixerLine> lines;
  const int items = snd_mixer_selem_get_enum_items(selector->elem);
  for (int i = 0; i < items; ++i) {
    std::array<char, 64> item{};
    if (snd_mixer_selem_get_enum_item_name(selector->elem, static_cast<unsigned>(i), item.size(),
                                           item.data()) < 0) {
      continue;
    }
    MixerLine line{item.data(), CaptureType(item.data()), std::nullopt};
    const auto same = std::find_if(volumes.begin(), volumes.end(),
                                   [&line](const MixerLine& v) { return v.name == line.name; });
    if (same != volumes.end()) line.volume = same->volume;
    lines.push_back(std::move(line));
  }
  return lines;
}

bool CAlsaMixer::VolumeRange(MixerControlId control, int64_t& min, int64_t& max) {
  std::lock_guard lock(mutex_);
  snd_mixer_elem_t* elem = FindVolume(control);
  long low = 0;
  long high = 0;
  if (elem == nullptr || DirectionOf(side_).range(elem, &low, &high) < 0) return false;
  min = low;
  max = high;
  return true;
}

// The loudest channel, so that a balance set elsewhere reads as its level.
bool CAlsaMixer::ReadVolume(MixerControlId control, int64_t& value) {
  std::lock_guard lock(mutex_);
  snd_mixer_elem_t* elem = FindVolume(control);
  if (elem == nullptr) return false;
  const Direction& d = DirectionOf(side_);
  bool any = false;
  long loudest = 0;
  const bool ok = EachChannel(elem, d, [&](snd_mixer_selem_channel_id_t channel) {
    long v = 0;
    if (d.volume(elem, channel, &v) < 0) return false;
    loudest = any ? std::max(loudest, v) : v;
    any = true;
    return true;
  });
  if (!ok || !any) return false;
  value = loudest;
  return true;
}

// Writing a value every channel already holds would only echo back as a change.
bool CAlsaMixer::WriteVolume(MixerControlId control, int64_t value) {
  std::lock_guard lock(mutex_);
  snd_mixer_elem_t* elem = FindVolume(control);
  if (elem == nullptr) return false;
  const Direction& d = DirectionOf(side_);
  const bool same = EachChannel(elem, d, [&](snd_mixer_selem_channel_id_t channel) {
    long v = 0;
    return d.volume(elem, channel, &v) == 0 && v == value;
  });
  return same || d.setVolumeAll(elem, static_cast<long>(value)) == 0;
}

// Muted when any channel is: unmuting then turns every channel on.
bool CAlsaMixer::ReadMute(MixerControlId line, bool& muted) {
  std::lock_guard lock(mutex_);
  snd_mixer_elem_t* elem = Find(line);
  const Direction& d = DirectionOf(side_);
  if (elem == nullptr || !d.hasSwitch(elem)) return false;
  bool failed = false;
  const bool allOn = EachChannel(elem, d, [&](snd_mixer_selem_channel_id_t channel) {
    int on = 0;
    failed = d.switchOn(elem, channel, &on) < 0;
    return !failed && on != 0;
  });
  if (failed) return false;
  muted = !allOn;
  return true;
}

bool CAlsaMixer::WriteMute(MixerControlId line, bool muted) {
  std::lock_guard lock(mutex_);
  snd_mixer_elem_t* elem = Find(line);
  const Direction& d = DirectionOf(side_);
  return elem != nullptr && d.hasSwitch(elem) && d.setSwitchAll(elem, muted ? 0 : 1) == 0;
}

std::string CAlsaMixer::MixerName() const {
  std::lock_guard lock(mutex_);
  return mixerName_;
}

MixerLineType CAlsaMixer::PlaybackType(const std::string& name) {
  if (Holds(name, "Mic")) return MixerLineType::Microphone;
  if (IsOther(name)) return MixerLineType::Other;
  if (Holds(name, "Line")) return MixerLineType::LineIn;
  return WaveOutRank(name) < kWaveOutNames.size() ? MixerLineType::WaveOut : MixerLineType::Other;
}

MixerLineType CAlsaMixer::CaptureType(const std::string& name) {
  if (IsOther(name)) return MixerLineType::Other;
  if (Holds(name, "Line")) return MixerLineType::LineIn;
  if (Holds(name, "Mic") || IsOrStartsWith(name, "Capture")) return MixerLineType::Microphone;
  return MixerLineType::Other;
}

std::vector<std::string> CAlsaMixer::MixerCandidates(const std::string& deviceName,
                                                     const std::vector<std::pair<int, std::string>>& cards) {
  std::vector<std::string> candidates;
  // "hw:N" anywhere, as in PortAudio's "<card>: <device> (hw:N,M)".
  for (std::size_t at = deviceName.find("hw:"); at != std::string::npos;
       at = deviceName.find("hw:", at + 1)) {
    const std::size_t digits = at + 3;
    std::size_t end = digits;
    while (end < deviceName.size() && deviceName[end] >= '0' && deviceName[end] <= '9') ++end;
    if (end > digits) {
      candidates.push_back("hw:" + deviceName.substr(digits, end - digits));
      break;
    }
  }
  // The card's name before the colon, for names cut before their "(hw:...".
  if (candidates.empty()) {
    for (const auto& [number, name] : cards) {
      if (!name.empty() && deviceName.rfind(name + ":", 0) == 0) {
        candidates.push_back("hw:" + std::to_string(number));
        break;
      }
    }
  }
  // A plain ALSA name such as "pulse" may name a control of its own.
  if (candidates.empty() && !deviceName.empty() && deviceName.find(' ') == std::string::npos) {
    candidates.push_back(deviceName);
  }
  if (std::find(candidates.begin(), candidates.end(), "default") == candidates.end()) {
    candidates.push_back("default");
  }
  return candidates;
}
