#include "platform/cwavloopplayer.h"

#include <QFile>
#include <algorithm>

// The ring sound is a resource of a static library: unless something calls
// its registration, the linker leaves it out of the program.
static void RegisterRingSound() {
  Q_INIT_RESOURCE(ring);
}

namespace {

// libsndfile reads the built-in sound straight from the resource's bytes.
struct MemoryFile {
  QByteArray bytes;
  sf_count_t position = 0;

  static MemoryFile& Of(void* user) { return *static_cast<MemoryFile*>(user); }
  static sf_count_t Size(void* user) { return static_cast<sf_count_t>(Of(user).bytes.size()); }
  static sf_count_t Seek(sf_count_t offset, int whence, void* user) {
    MemoryFile& file = Of(user);
    const sf_count_t base = whence == SEEK_CUR ? file.position : whence == SEEK_END ? Size(user) : 0;
    file.position = std::clamp<sf_count_t>(base + offset, 0, Size(user));
    return file.position;
  }
  static sf_count_t Read(void* out, sf_count_t count, void* user) {
    MemoryFile& file = Of(user);
    const sf_count_t n = std::min(count, Size(user) - file.position);
    std::copy_n(file.bytes.constData() + file.position, n, static_cast<char*>(out));
    file.position += n;
    return n;
  }
  static sf_count_t Write(const void*, sf_count_t, void*) { return 0; }
  static sf_count_t Tell(void* user) { return Of(user).position; }
};

}  // namespace

CWavLoopPlayer::CWavLoopPlayer(AudioBackend& backend, int device) : backend_(backend), device_(device) {
  RegisterRingSound();
}

CWavLoopPlayer::~CWavLoopPlayer() {
  Stop();
}

bool CWavLoopPlayer::PlayFileLooping(const std::string& path, std::string& error) {
  if (Playing()) return true;
  SF_INFO info{};
  SNDFILE* file = sf_open(path.c_str(), SFM_READ, &info);
  if (!file) {
    error = "Could not read the sound file \"" + path + "\": " + sf_strerror(nullptr);
    return false;
  }
  return Play(file, info, "the sound file \"" + path + "\"", error);
}

bool CWavLoopPlayer::PlayBuiltInLooping(std::string& error) {
  if (Playing()) return true;
  QFile resource(":/sounds/ring.wav");
  MemoryFile memory;
  if (resource.open(QIODevice::ReadOnly)) memory.bytes = resource.readAll();
  SF_VIRTUAL_IO io{&MemoryFile::Size, &MemoryFile::Seek, &MemoryFile::Read, &MemoryFile::Write,
                   &MemoryFile::Tell};
  SF_INFO info{};
  SNDFILE* file = sf_open_virtual(&io, SFM_READ, &info, &memory);
  if (!file) {
    error = std::string("The built-in ring sound is unreadable: ") + sf_strerror(nullptr);
    return false;
  }
  return Play(file, info, "the built-in ring sound", error);
}

bool CWavLoopPlayer::Play(SNDFILE* file, const SF_INFO& info, const std::string& what, std::string& error) {
  const auto fileChannels = static_cast<std::size_t>(std::max(info.channels, 1));
  const std::size_t channels = std::min<std::size_t>(fileChannels, 2);
  const auto maxFrames = static_cast<std::size_t>(std::max(info.samplerate, 1)) * kMaxSeconds;
  std::vector<short> chunk(4096 * fileChannels);
  sound_.clear();
  if (info.frames > 0) sound_.reserve(std::min(static_cast<std::size_t>(info.frames), maxFrames) * channels);
  // Floating-point sound louder than full scale is clipped instead of wrapped.
  sf_command(file, SFC_SET_CLIPPING, nullptr, SF_TRUE);
  for (std::size_t frames = 0; frames < maxFrames;) {
    const auto wanted = static_cast<sf_count_t>(std::min(maxFrames - frames, std::size_t{4096}));
    const auto got =
        static_cast<std::size_t>(std::max<sf_count_t>(sf_readf_short(file, chunk.data(), wanted), 0));
    if (got == 0) break;
    // A player of one or two channels keeps the first two of a surround file.
    for (std::size_t f = 0; f < got; ++f) {
      sound_.insert(sound_.end(), chunk.begin() + static_cast<std::ptrdiff_t>(f * fileChannels),
                    chunk.begin() + static_cast<std::ptrdiff_t>(f * fileChannels + channels));
    }
    frames += got;
  }
  sf_close(file);
  if (sound_.empty()) {
    error = "There is no sound in " + what + ".";
    return false;
  }
  position_ = 0;
  const StreamRequest request{device_, info.samplerate, static_cast<int>(channels), kFramesPerCallback,
                              kLatencySeconds};
  stream_ = backend_.OpenOutput(request, &CWavLoopPlayer::Fill, this, error);
  if (!stream_) sound_.clear();
  return stream_ != nullptr;
}

void CWavLoopPlayer::Stop() {
  // Gone with the stream: the last callback has returned and no sound is queued.
  stream_.reset();
  sound_.clear();
}

// The stream's thread: copies and wraps, nothing else.
void CWavLoopPlayer::Fill(int16_t* samples, std::size_t count, void* user) {
  auto& player = *static_cast<CWavLoopPlayer*>(user);
  const std::vector<int16_t>& sound = player.sound_;
  std::size_t position = player.position_;
  while (count > 0) {
    const std::size_t n = std::min(count, sound.size() - position);
    std::copy_n(sound.data() + position, n, samples);
    samples += n;
    count -= n;
    position += n;
    if (position == sound.size()) position = 0;
  }
  player.position_ = position;
}
