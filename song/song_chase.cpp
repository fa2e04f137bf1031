#include "song/song_chase.h"

#include <cstring>
#include <new>

#include "common/shared_word.h"
#include "midi/channel_messages.h"
#include "midi/channel_state.h"
#include "song/playback_clock.h"
#include "song/song_dispatch.h"
#include "song/song_map.h"
#include "song/song_state.h"

namespace {

#define UNSET 0xFFFF
#define PARAMETER_SLOTS 16

// Controllers that select or set a parameter, or act on the channel's notes or mode: they
// are chased as parameters, or not at all.
bool IsPlainController(BYTE controller) {
  return controller < 120 && controller != 6 && controller != 38 &&
         (controller < 96 || controller > 101);
}

// Not REGISTERED: windows.h brings a NetBIOS macro of that name.
enum ParameterKind { NO_PARAMETER = 0, RPN_PARAMETER = 1, NRPN_PARAMETER = 2 };

struct ChasedParameter {
  BYTE kind;
  BYTE msb;
  BYTE lsb;
  WORD dataMSB;  // UNSET until data entry (6) came
  WORD dataLSB;  // UNSET until data entry LSB (38) came
  DWORD order;   // when its data last came
};

struct ChasedChannel {
  WORD controller[128];  // last value, UNSET when never sent
  WORD program;
  WORD pressure;
  WORD bendLSB;
  WORD bendMSB;
  BYTE selected[2][2];  // [kind - 1][0 MSB, 1 LSB] as the song last sent them; 0xFF: never
  BYTE selectedKind;    // whichever kind of selection came last
  ChasedParameter parameters[PARAMETER_SLOTS];
  DWORD parameterCount;
};

ChasedChannel chased[CHANNEL_COUNT];
DWORD parameterOrder = 0;

// System-exclusive events before the target, in their order: they point into the tracks.
struct ChasedExclusive {
  const BYTE* event;
  DWORD length;
};
ChasedExclusive* exclusives = nullptr;
DWORD exclusiveCount = 0;
DWORD exclusiveCapacity = 0;

void ForgetChasedState() {
  std::memset(chased, 0xFF, sizeof chased);
  for (ChasedChannel& channel : chased) {
    channel.selectedKind = NO_PARAMETER;
    channel.parameterCount = 0;
  }
  exclusiveCount = 0;
}

void KeepExclusive(const BYTE* event, DWORD length) {
  if (exclusiveCount == exclusiveCapacity) {
    const DWORD capacity = exclusiveCapacity ? exclusiveCapacity * 2 : 64;
    ChasedExclusive* grown = new (std::nothrow) ChasedExclusive[capacity];
    if (!grown) return;  // without memory the rest are left out
    if (exclusiveCount) std::memcpy(grown, exclusives, exclusiveCount * sizeof(ChasedExclusive));
    delete[] exclusives;
    exclusives = grown;
    exclusiveCapacity = capacity;
  }
  exclusives[exclusiveCount++] = {event, length};
}

// The slot of the selected parameter; a full table gives up the one set longest ago.
ChasedParameter* SelectedParameter(ChasedChannel& channel) {
  const BYTE kind = channel.selectedKind;
  const BYTE msb = channel.selected[kind - 1][0], lsb = channel.selected[kind - 1][1];
  // The null selection (127, 127) makes data entry go nowhere.
  if (msb == 127 && lsb == 127) return nullptr;
  DWORD oldest = 0;
  for (DWORD i = 0; i < channel.parameterCount; i++) {
    ChasedParameter& slot = channel.parameters[i];
    if (slot.kind == kind && slot.msb == msb && slot.lsb == lsb) return &slot;
    if (slot.order < channel.parameters[oldest].order) oldest = i;
  }
  const DWORD index = channel.parameterCount < PARAMETER_SLOTS ? channel.parameterCount++ : oldest;
  channel.parameters[index] = {kind, msb, lsb, UNSET, UNSET, 0};
  return &channel.parameters[index];
}

void ChaseParameterData(ChasedChannel& channel, BYTE controller, BYTE value) {
  if (channel.selectedKind == NO_PARAMETER) return;
  ChasedParameter* parameter = SelectedParameter(channel);
  if (!parameter) return;
  (controller == 6 ? parameter->dataMSB : parameter->dataLSB) = value;
  parameter->order = ++parameterOrder;
}

// Reset All Controllers returns the controllers it covers to their defaults.
void ChaseControllerReset(ChasedChannel& channel) {
  for (BYTE c = 1; c < 120; c++) {
    if (c != 7 && c != 10 && c != 32 && (c < 91 || c > 95)) channel.controller[c] = UNSET;
  }
  channel.pressure = channel.bendLSB = channel.bendMSB = UNSET;
}

void ChaseController(ChasedChannel& channel, BYTE controller, BYTE value) {
  if (controller == 101 || controller == 100 || controller == 99 || controller == 98) {
    const BYTE kind = controller >= 100 ? RPN_PARAMETER : NRPN_PARAMETER;
    channel.selected[kind - 1][controller & 1 ? 0 : 1] = value;
    channel.selectedKind = kind;
  } else if (controller == 6 || controller == 38) {
    ChaseParameterData(channel, controller, value);
  } else if (controller == 121) {
    ChaseControllerReset(channel);
  } else if (IsPlainController(controller)) {
    channel.controller[controller] = value;
  }
}

void ChaseEvent(const BYTE* event, DWORD length) {
  const BYTE status = event[0];
  if (status == 0xF0 || status == 0xF7) return KeepExclusive(event, length);
  if (status >= 0xF0 || length < 2) return;
  ChasedChannel& channel = chased[status & 0x0F];
  switch (status & 0xF0) {
    case 0xB0:
      if (length >= 3) ChaseController(channel, event[1], event[2]);
      break;
    case 0xC0: channel.program = event[1]; break;
    case 0xD0: channel.pressure = event[1]; break;
    case 0xE0:
      if (length < 3) break;
      channel.bendLSB = event[1];
      channel.bendMSB = event[2];
      break;
    default: break;  // notes and key pressure: what sounds before the target stays silent
  }
}

void SendController(int ch, BYTE controller, WORD value) {
  if (value != UNSET) SendChannelMessage(BYTE(0xB0 | ch), controller, BYTE(value));
}

void SendSelection(int ch, BYTE kind, BYTE msb, BYTE lsb) {
  const BYTE selectMSB = kind == RPN_PARAMETER ? 101 : 99;
  if (msb != 0xFF) SendChannelMessage(BYTE(0xB0 | ch), selectMSB, msb);
  if (lsb != 0xFF) SendChannelMessage(BYTE(0xB0 | ch), BYTE(selectMSB - 1), lsb);
}

void SendParameters(int ch, ChasedChannel& channel) {
  DWORD sent = 0;
  // Oldest first, as they came; each with the selection it needs.
  for (DWORD done = 0; done < channel.parameterCount; done++) {
    ChasedParameter* next = nullptr;
    for (DWORD i = 0; i < channel.parameterCount; i++) {
      ChasedParameter& p = channel.parameters[i];
      if (p.order > sent && (!next || p.order < next->order)) next = &p;
    }
    if (!next) break;
    sent = next->order;
    SendSelection(ch, next->kind, next->msb, next->lsb);
    SendController(ch, 6, next->dataMSB);
    SendController(ch, 38, next->dataLSB);
  }
  // Data entries later in the song go where the song last pointed.
  if (channel.selectedKind != NO_PARAMETER) {
    const BYTE kind = channel.selectedKind;
    SendSelection(ch, kind, channel.selected[kind - 1][0], channel.selected[kind - 1][1]);
  }
}

void SendChasedChannel(int ch) {
  ChasedChannel& channel = chased[ch];
  SendChannelMessage(BYTE(0xB0 | ch), 121, 0);
  SendController(ch, 0, channel.controller[0]);
  SendController(ch, 32, channel.controller[32]);
  if (channel.program != UNSET) SendChannelMessage(BYTE(0xC0 | ch), BYTE(channel.program), 0);
  for (BYTE c = 1; c < 120; c++) {
    if (c != 32 && IsPlainController(c)) SendController(ch, c, channel.controller[c]);
  }
  SendParameters(ch, channel);
  if (channel.bendLSB != UNSET) {
    SendChannelMessage(BYTE(0xE0 | ch), BYTE(channel.bendLSB), BYTE(channel.bendMSB));
  }
  if (channel.pressure != UNSET) SendChannelMessage(BYTE(0xD0 | ch), BYTE(channel.pressure), 0);
}

void SendChasedState() {
  for (DWORD i = 0; i < exclusiveCount; i++)
    DispatchSongEvent(exclusives[i].event, exclusives[i].length);
  for (int ch = 0; ch < CHANNEL_COUNT; ch++) {
    if (songMap.channelsUsed & (1u << ch)) SendChasedChannel(ch);
  }
}

// Walks the real readers to `lastTick` with the chasing sink in place of theirs.
void WalkSilently(DWORD lastTick) {
  for (DWORD i = 0; i < songState.trackCount; i++) songState.readers[i].sink = ChaseEvent;
  WalkReaders(songState.readers, songState.trackCount, lastTick);
  for (DWORD i = 0; i < songState.trackCount; i++) songState.readers[i].sink = DispatchSongEvent;
}

}  // namespace

void ChaseSongTo(DWORD tick) {
  RewindSong();
  ForgetChasedState();
  if (tick > 0) {
    // Everything before the tick is walked; the tick itself is carried as one whole tick,
    // so its events come with the clock's next step.
    WalkSilently(tick - 1);
    songState.tempoMicros = TempoAtTick(tick - 1);
    songState.tickAccumulator = 1ull << 32;
    InterlockedExchange(SharedWord(&songTick), static_cast<LONG>(tick - 1));
  }
  SendChasedState();
}
