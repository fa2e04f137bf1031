// The Windows multimedia (winmm) subset that Plinkaro uses: MIDI output and input and the
// multimedia timer. Constants carry their real Win32 values; MIDIHDR and the caps have
// the Win32 member order and, as in the SDK's header, byte packing, so that their layout
// is Windows' own on 32-bit and on 64-bit hosts.
#pragma once

#include <windows.h>

typedef UINT MMRESULT;
PLK_DECLARE_HANDLE(HMIDIOUT);
typedef HMIDIOUT* LPHMIDIOUT;
PLK_DECLARE_HANDLE(HMIDIIN);
typedef HMIDIIN* LPHMIDIIN;
typedef UINT MMVERSION;

#define MMSYSERR_NOERROR 0
#define MMSYSERR_ERROR 1
#define MMSYSERR_BADDEVICEID 2
#define MMSYSERR_NOTENABLED 3
#define MMSYSERR_ALLOCATED 4
#define MMSYSERR_INVALHANDLE 5
#define MMSYSERR_NODRIVER 6
#define MMSYSERR_NOMEM 7
#define MMSYSERR_NOTSUPPORTED 8
#define MMSYSERR_INVALFLAG 10
#define MMSYSERR_INVALPARAM 11
#define MIDIERR_UNPREPARED 64
#define MIDIERR_STILLPLAYING 65
#define MIDIERR_NODEVICE 68

#define MIDI_MAPPER ((UINT)-1)
#define CALLBACK_NULL 0x00000000L
#define CALLBACK_WINDOW 0x00010000L
#define CALLBACK_FUNCTION 0x00030000L
#define CALLBACK_TYPEMASK 0x00070000L
#define MIDI_IO_STATUS 0x00000020L

#define MHDR_DONE 0x00000001
#define MHDR_PREPARED 0x00000002
#define MHDR_INQUEUE 0x00000004

#pragma pack(push, 1)
typedef struct midihdr_tag {
  LPSTR lpData;
  DWORD dwBufferLength;
  DWORD dwBytesRecorded;
  DWORD_PTR dwUser;
  DWORD dwFlags;
  struct midihdr_tag* lpNext;
  DWORD_PTR reserved;
  DWORD dwOffset;
  DWORD_PTR dwReserved[8];
} MIDIHDR, *LPMIDIHDR;

// Input callbacks: void CALLBACK proc(HMIDIIN, UINT message, DWORD_PTR instance,
// DWORD_PTR param1, DWORD_PTR param2), passed to midiInOpen as a DWORD_PTR.
#define MIM_OPEN 0x3C1
#define MIM_CLOSE 0x3C2
#define MIM_DATA 0x3C3
#define MIM_LONGDATA 0x3C4
#define MIM_ERROR 0x3C5
#define MIM_LONGERROR 0x3C6
#define MIM_MOREDATA 0x3CC

#define MAXPNAMELEN 32

typedef struct tagMIDIINCAPSA {
  WORD wMid;
  WORD wPid;
  MMVERSION vDriverVersion;
  CHAR szPname[MAXPNAMELEN];
  DWORD dwSupport;
} MIDIINCAPSA, *LPMIDIINCAPSA;

// MIDIOUTCAPSA.wTechnology
#define MOD_MIDIPORT 1
#define MOD_MAPPER 5
#define MOD_SWSYNTH 7

typedef struct tagMIDIOUTCAPSA {
  WORD wMid;
  WORD wPid;
  MMVERSION vDriverVersion;
  CHAR szPname[MAXPNAMELEN];
  WORD wTechnology;
  WORD wVoices;
  WORD wNotes;
  WORD wChannelMask;
  DWORD dwSupport;
} MIDIOUTCAPSA, *LPMIDIOUTCAPSA;
#pragma pack(pop)

UINT midiOutGetNumDevs(void);
MMRESULT midiOutGetDevCapsA(UINT_PTR deviceId, LPMIDIOUTCAPSA caps, UINT size);
MMRESULT midiOutOpen(LPHMIDIOUT handle, UINT deviceId, DWORD_PTR callback, DWORD_PTR instance,
                     DWORD flags);
MMRESULT midiOutShortMsg(HMIDIOUT handle, DWORD message);
MMRESULT midiOutPrepareHeader(HMIDIOUT handle, LPMIDIHDR header, UINT size);
MMRESULT midiOutUnprepareHeader(HMIDIOUT handle, LPMIDIHDR header, UINT size);
MMRESULT midiOutLongMsg(HMIDIOUT handle, LPMIDIHDR header, UINT size);
MMRESULT midiOutReset(HMIDIOUT handle);
MMRESULT midiOutClose(HMIDIOUT handle);

UINT midiInGetNumDevs(void);
MMRESULT midiInGetDevCapsA(UINT_PTR deviceId, LPMIDIINCAPSA caps, UINT size);
MMRESULT midiInOpen(LPHMIDIIN handle, UINT deviceId, DWORD_PTR callback, DWORD_PTR instance,
                    DWORD flags);
MMRESULT midiInPrepareHeader(HMIDIIN handle, LPMIDIHDR header, UINT size);
MMRESULT midiInUnprepareHeader(HMIDIIN handle, LPMIDIHDR header, UINT size);
MMRESULT midiInAddBuffer(HMIDIIN handle, LPMIDIHDR header, UINT size);
MMRESULT midiInStart(HMIDIIN handle);
MMRESULT midiInStop(HMIDIIN handle);
MMRESULT midiInReset(HMIDIIN handle);
MMRESULT midiInClose(HMIDIIN handle);

#define TIMERR_NOERROR 0
#define TIMERR_NOCANDO 97
#define TIME_ONESHOT 0x0000
#define TIME_PERIODIC 0x0001
#define TIME_CALLBACK_FUNCTION 0x0000
#define TIME_KILL_SYNCHRONOUS 0x0100

typedef void(CALLBACK* LPTIMECALLBACK)(UINT timerId, UINT message, DWORD_PTR user, DWORD_PTR dw1,
                                       DWORD_PTR dw2);

MMRESULT timeBeginPeriod(UINT period);
MMRESULT timeEndPeriod(UINT period);
DWORD timeGetTime(void);
MMRESULT timeSetEvent(UINT delay, UINT resolution, LPTIMECALLBACK callback, DWORD_PTR user,
                      UINT event);
MMRESULT timeKillEvent(UINT timerId);
