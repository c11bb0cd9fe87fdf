// The sources of sound_source.h over the player, live input and the virtual playlist.
#include <algorithm>

#include "sound_source.h"

namespace {

void nothing(void*) {}
void noPause(void*, bool) {}

// A track's arrays at its audible frame plus the latency.
void takeFromTrack(const Player& player, const PlaybackStatus& status, int latencyMs, int spectrumChannels,
                   int waveformChannels, SoundForFrame& out) {
  const PcmAudio& track = player.tracks[size_t(status.index)];
  out.sampleRate = track.sampleRate;
  out.channels = track.channels;
  const int64_t ahead = int64_t(std::max(latencyMs, 0)) * track.sampleRate / 1000;
  takeVisAudio(track, status.audibleFrame + ahead, spectrumChannels, waveformChannels, out.audio);
}

}  // namespace

SoundSource playerSource(Player& player) {
  return SoundSource{
      &player,
      [](void* p) { startPlayer(*static_cast<Player*>(p)); },
      [](void* p) { return playerStatus(*static_cast<Player*>(p)); },
      [](void* p, const PlaybackStatus& status, int latencyMs, int spectrumChannels, int waveformChannels,
         SoundForFrame& out) {
        takeFromTrack(*static_cast<Player*>(p), status, latencyMs, spectrumChannels, waveformChannels, out);
      },
      [](void* p, bool paused) { pausePlayer(*static_cast<Player*>(p), paused); },
      [](void* p) { stopPlayer(*static_cast<Player*>(p)); }};
}

SoundSource liveSource(LiveInput& live) {
  return SoundSource{
      &live,
      [](void* l) { startLiveInput(*static_cast<LiveInput*>(l)); },
      [](void* l) { return liveStatus(*static_cast<LiveInput*>(l)); },
      // The newest frames: what the desktop plays now.
      [](void* l, const PlaybackStatus&, int, int spectrumChannels, int waveformChannels, SoundForFrame& out) {
        out.sampleRate = liveSampleRate;
        out.channels = liveChannels;
        takeLiveAudio(*static_cast<LiveInput*>(l), spectrumChannels, waveformChannels, out.audio);
      },
      noPause, nothing};
}

SoundSource virtualPlaylistSource(VirtualPlaylist& playlist) {
  return SoundSource{
      &playlist, nothing,
      [](void* p) {
        const auto& list = *static_cast<VirtualPlaylist*>(p);
        return playlistStatusAt(list.entries, virtualMicroseconds(*list.clock));
      },
      [](void* p, const PlaybackStatus& status, int latencyMs, int spectrumChannels, int waveformChannels,
         SoundForFrame& out) {
        takeFromTrack(*static_cast<VirtualPlaylist*>(p)->player, status, latencyMs, spectrumChannels,
                      waveformChannels, out);
      },
      noPause, nothing};
}
