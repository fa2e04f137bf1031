#!/usr/bin/env bash
# Mutation check: does the test suite notice real faults?
#
# Applies one-line faults to the sources, one at a time, rebuilds the debug configuration
# in a build directory of its own and runs the whole suite (what `ctest --preset debug`
# runs, end-to-end tests included). Each fault is reported as
#   CAUGHT  a test failed (and failed again when rerun, so a flaky test does not count)
#   BUILD   the build failed (the fault does not compile, or a test program could not
#           list its tests)
#   MISSED  every test passed
#   GONE    its line is no longer found exactly once in the sources
# Tests that already fail on the unchanged sources are left out of every verdict (and are
# not run again); the first run names them.
#
# A fault is the exact text of one source line (leading and trailing blanks aside) and the
# line that replaces it. The line is looked up in app/ midi/ input/ record/ song/ display/
# common/ and platform/ (test folders excepted), so a fault still applies after its file moved.
# The file is restored byte for byte after each fault, also on Ctrl-C or an error; a run
# that was killed outright restores it on the next start.
#
# Usage: tools/mutation_check.sh [options] [FAULT_ID...]
#   -s DIR   source tree to test (default: the repository holding this script)
#   -b DIR   build directory (default: SOURCE/build/mutation)
#   -o FILE  also write the result table and the failing tests of each fault to FILE
#   -t SECS  timeout of a test that sets none of its own (default 30: a unit test passes in
#            well under 5 s, and a fault that makes tests hang costs this for each)
#   -j N     parallel build and test jobs (default 2)
#   -R REGEX run only the tests matching REGEX with each fault (a quicker, partial verdict:
#            a fault missed by those tests may still be caught by others)
#   -l       list the faults and exit
# With FAULT_IDs only those faults run. The machine is shared: run it as
#   nice -n 19 bash tools/mutation_check.sh -o mutation-results.txt
# Logs of each build and test run are kept in BUILD/mutation-logs/.
set -euo pipefail

# Each fault: "@id what a user would see", "- the line as it stands", "+ its replacement".
read -r -d '' FAULTS <<'EOF' || true
@clock-extra-ms  song plays too fast: every clock step counts one millisecond more
- const DWORD elapsed = now - songState.lastTickTime;
+ const DWORD elapsed = now - songState.lastTickTime + 1;
@clock-drops-fraction  song plays slow or not at all: the fraction of a tick is thrown away
- songState.tickAccumulator &= 0xFFFFFFFFull;
+ songState.tickAccumulator = 0;
@rewind-keeps-running-status  after a rewind a track continues the status of the last play
- runningStatus = data1 = data2 = spare = 0;
+ data1 = data2 = spare = 0;
@tempo-zero-kept  a tempo of 0 divides by zero on the next clock step
- songState.tempoMicros = micros > 0 ? micros : 1;
+ songState.tempoMicros = micros;
@song-message-swapped  song messages go out with status and first data byte swapped
- const DWORD message = DWORD(status) | DWORD(data1) << 8 | DWORD(data2) << 16;
+ const DWORD message = DWORD(data1) | DWORD(status) << 8 | DWORD(data2) << 16;
@sysex-not-cut  a system-exclusive length past the track's end copies bytes from beyond it
- if (dataLength > length - 1 - used) dataLength = length - 1 - used;
+ if (dataLength > length) dataLength = length;
@note-128-counted  a note number of 128 writes past the channel's held counts
- if (note >= NOTE_COUNT) return;
+ if (note > NOTE_COUNT) return;
@bank-bytes-swapped  bank select MSB and LSB from a song land in each other's place
- WriteInstrumentByte(channel, data1 == 0 ? 2 : 1, data2);
+ WriteInstrumentByte(channel, data1 == 0 ? 1 : 2, data2);
@varlen-shift  delta times above 127 ticks are read wrong: the song's rhythm breaks
- value = (value << 7) | (bytes[used] & 0x7F);
+ value = (value << 8) | (bytes[used] & 0x7F);
@pitch-bend-size  pitch bend is read as one byte: the rest of the track is garbled
- if (status < 0xC0 || (status >= 0xE0 && status < 0xF0) || status == 0xF2) {
+ if (status < 0xC0 || status == 0xF2) {
@meta-cut-overread  a meta or sysex event cut off by the track's end hands on bytes beyond it
- return Deliver(event, headerBytes + used + left);
+ return Deliver(event, headerBytes + used + bodyLength);
@track-length-unchecked  a track length past the file's end reads outside the file image
- if (length > size - position - CHUNK_HEADER_SIZE) return FALSE;
+ if (length > size) return FALSE;
@header-little-endian  the header's track count and division are read little-endian
- DWORD ReadBigEndian16(const BYTE* bytes) { return DWORD(bytes[0]) << 8 | bytes[1]; }
+ DWORD ReadBigEndian16(const BYTE* bytes) { return DWORD(bytes[1]) << 8 | bytes[0]; }
@base-key-mask  transposing past the top no longer wraps: the keys fall silent
- ChannelTable[ch].baseKey = key & 0x7F;
+ ChannelTable[ch].baseKey = key & 0xFF;
@bank-msb-byte  the bank MSB sent is the bank LSB
- const int bankMSB = (word >> 16) & 0xFF;
+ const int bankMSB = (word >> 8) & 0xFF;
@select-redraw-kind  choosing a channel leaves the old row's keyboard band highlighted
- PushRedraw(REDRAW_ROW, old, 0, 0);
+ PushRedraw(REDRAW_HEADER, old, 0, 0);
@held-count-not-atomic  a held count shared with the playback thread is bumped without a lock
- IncrementSharedWord(&ChannelTable[ch].heldCount[note]);
+ ChannelTable[ch].heldCount[note]++;
@sustain-ignored  Shift no longer holds the notes
- case VK_SHIFT: sustainActive = 1; return 0;
+ case VK_SHIFT: return 0;
@repeat-mask  auto-repeat is no longer recognised: a held arrow transposes again and again
- const LPARAM KEY_WAS_DOWN = 0x40000000;
+ const LPARAM KEY_WAS_DOWN = 0x20000000;
@shift-digit-offset  Shift+1 .. Shift+6 choose channels 12 .. 17 instead of 11 .. 16
- SelectChannel(virtualKey - 0x27);
+ SelectChannel(virtualKey - 0x26);
@shift-digit-range  Shift+7 chooses a 17th channel, past the end of the channel table
- } else if (virtualKey <= '6' && ShiftHeld()) {
+ } else if (virtualKey <= '7' && ShiftHeld()) {
@keyup-dropped  releasing a key no longer ends its note
- case WM_KEYUP: return OnKeyUp(wParam);
+ case WM_KEYUP: return 0;
@editor-clamp  a typed 128 .. 255 is stored and sent as is, not as 127
- if (value > EDIT_MAX_VALUE) value = EDIT_MAX_VALUE;
+ if (value > 255) value = EDIT_MAX_VALUE;
@click-row-unscrolled  a click in a scrolled window chooses the wrong channel
- const DWORD row = (y + static_cast<DWORD>(verticalScroll)) / ROW_HEIGHT;
+ const DWORD row = y / ROW_HEIGHT;
@queue-full-off-by-one  a full redraw queue overwrites a command not yet drawn
- if (write - ReadSharedWord(&redrawQueue.readIndex) >= REDRAW_QUEUE_SIZE) {
+ if (write - ReadSharedWord(&redrawQueue.readIndex) > REDRAW_QUEUE_SIZE) {
@skin-cycle-modulo  F6 skips the last skin file (one past it is clamped, so that is not the fault)
- SwitchSkin(static_cast<int>((static_cast<DWORD>(skinIndex) + 1) % (skinCount + 1)));
+ SwitchSkin(static_cast<int>((static_cast<DWORD>(skinIndex) + 1) % skinCount));
@skin-list-overflow  a 17th .bmp file is written past the end of the skin list
- } while (skinCount < MAX_SKIN_FILES && FindNextFileA(search, &found));
+ } while (skinCount <= MAX_SKIN_FILES && FindNextFileA(search, &found));
@bmp-pixel-bound  a BMP whose image size exceeds its pixels overruns the bitmap's memory
- return count <= available ? static_cast<DWORD>(count) : 0;
+ return count <= 2 * available ? static_cast<DWORD>(count) : 0;
@bmp-header-size  a BMP with a short (OS/2) header is read as a Windows one
- if (header.biSize < sizeof(BITMAPINFOHEADER) || header.biSize > MAX_INFO_HEADER_SIZE ||
+ if (header.biSize > MAX_INFO_HEADER_SIZE ||
@key-images-swapped  held keys show the released image and released keys the pressed one
- const int imageX = ReadHeldCount(row, key) ? g.srcX + g.w : g.srcX;
+ const int imageX = ReadHeldCount(row, key) ? g.srcX : g.srcX + g.w;
@key-octave-slot  every key is drawn one octave to the left
- const LONG slot = LONG(unsigned(key) / 12) - LONG(unsigned(ChannelTable[row].baseKey) / 12) + 1;
+ const LONG slot = LONG(unsigned(key) / 12) - LONG(unsigned(ChannelTable[row].baseKey) / 12);
@key-name-octave  the header names the base key an octave too high ("C5" for middle C)
- return std::snprintf(name, 64, "%s%i", NoteNameTable[key % 12], static_cast<int>(key / 12 - 1));
+ return std::snprintf(name, 64, "%s%i", NoteNameTable[key % 12], static_cast<int>(key / 12));
@scroll-content-direction  scrolling moves the picture the wrong way
- ScrollWindowEx(mainWindow, 0, verticalScroll - newPosition, nullptr, nullptr, nullptr, nullptr,
+ ScrollWindowEx(mainWindow, 0, newPosition - verticalScroll, nullptr, nullptr, nullptr, nullptr,
@blit-source-clip  BitBlt reads one pixel past the right edge of its source
- plk::gdi::Intersect(destRect, {sb.left + dx, sb.top + dy, sb.right + dx, sb.bottom + dy});
+ plk::gdi::Intersect(destRect, {sb.left + dx, sb.top + dy, sb.right + dx + 1, sb.bottom + dy});
@blit-srcand-as-or  BitBlt's SRCAND combines with OR: every key is drawn white
- case SRCAND: op = Combine::kAnd; return true;
+ case SRCAND: op = Combine::kOr; return true;
@window-clip-ignored  drawing on a window DC ignores its clip rectangles (paints over children)
- clip_ = &dc.target.clip;
+ clip_ = nullptr;
@bmp-4bit-nibbles  4-bit bitmaps show each pair of pixels swapped
- case 4: return (row[x >> 1] >> ((x & 1) ? 0 : 4)) & 0xFu;
+ case 4: return (row[x >> 1] >> ((x & 1) ? 4 : 0)) & 0xFu;
@gdi-stale-handle  a deleted GDI object's handle still works
- void Remove(HGDIOBJ handle) { handles_.RemoveLocked(handle); }
+ void Remove(HGDIOBJ) {}
@scroll-bar-clamp  the scroll position may go one page-line too far: a blank band at the end
- const int span = static_cast<int>(std::max<UINT>(page, 1)) - 1;
+ const int span = static_cast<int>(std::max<UINT>(page, 1));
@scroll-window-uncovered  ScrollWindowEx repaints the wrong band: the uncovered one stays stale
- uncovered.Subtract(OffsetRectBy(clipped, dx, dy));
+ uncovered.Subtract(OffsetRectBy(clipped, -dx, -dy));
@lparam-repeat-bit  the previous-state bit of key messages lands in bit 29: repeats act again
- if (!down || repeat) bits |= 1u << 30;
+ if (!down || repeat) bits |= 1u << 29;
@jis-semicolon-vk  on a JIS keyboard the key right of L plays nothing (wrong virtual key)
- {0x27, VK_OEM_PLUS},    // ;+  right of L
+ {0x27, VK_OEM_1},    // ;+  right of L
@layout-detection  a JIS keyboard is taken for a US one and the other way round
- return HostKeyCharacter(0x28, false) == ':' ? KeyboardLayout::Jis : KeyboardLayout::Us;
+ return HostKeyCharacter(0x28, false) != ':' ? KeyboardLayout::Jis : KeyboardLayout::Us;
@log-byte-format  the MIDI log writes bytes blank-padded ("  0") instead of two hex digits
- std::snprintf(digits, sizeof digits, " %02x", value & 0xFFu);
+ std::snprintf(digits, sizeof digits, " %2x", value & 0xFFu);
@reset-note-offs  midiOutReset's note-offs name note 0: sounding notes hang
- messages.push_back(PackShortMessage(0x80 | channel, note, 0));
+ messages.push_back(PackShortMessage(0x80 | channel, 0, note));
@timer-drift  the playback timer schedules from the callback's end: the song drifts late
- deadline += delay;
+ deadline = Clock::now() + delay;
@midi-out-stale-handle  a closed handle (a MIDI output, a file, a timer) is still found
- objects_.erase(found);
+ // the closed object stays in the table
@synth-pitch-bend  the synthesizer bends by the wrong amount (data bytes in the wrong order)
- case 0xE0: fluid_synth_pitch_bend(synth, channel, data1 | (data2 << 7)); break;
+ case 0xE0: fluid_synth_pitch_bend(synth, channel, (data1 << 7) | data2); break;
@file-handle-reused  handle numbers start again once all are closed: a stale one reaches the next object
- serial_ = serial_ + 1 < kSerials ? serial_ + 1 : 1;
+ serial_ = objects_.empty() ? 1 : serial_ + 1;
@readfile-count  ReadFile reports a short read as complete
- if (read) *read = total;
+ if (read) *read = toRead;
@find-first-twice  FindFirstFileA's first match comes again from FindNextFileA
- Search search{Match(directory.empty() ? "/" : directory, name), 1};
+ Search search{Match(directory.empty() ? "/" : directory, name), 0};
@find-case-sensitive  "*.bmp" no longer finds SKIN.BMP
- if (fnmatch(pattern.c_str(), entry->d_name, FNM_CASEFOLD | FNM_NOESCAPE) != 0) continue;
+ if (fnmatch(pattern.c_str(), entry->d_name, FNM_NOESCAPE) != 0) continue;
@file-size-short  GetFileSize reports one byte less: a song's last track loses its end
- return static_cast<DWORD>(size);
+ return static_cast<DWORD>(size - 1);
@edit-number-filter  the ES_NUMBER edit box takes letters
- return !digitsOnly_ || std::isdigit(static_cast<unsigned char>(character));
+ return !digitsOnly_ || std::isprint(static_cast<unsigned char>(character));
@edit-text-limit  the value box takes one character more than its limit
- if (remaining >= limit_) return false;
+ if (remaining > limit_) return false;
@dlg-item-int-base  GetDlgItemInt reads the typed number as hexadecimal
- const long long value = std::strtoll(start, &end, 10);
+ const long long value = std::strtoll(start, &end, 16);
@drop-name-terminator  DragQueryFileA writes the terminator one byte past a full buffer
- const std::size_t count = std::min<std::size_t>(found.name.size(), size - 1);
+ const std::size_t count = std::min<std::size_t>(found.name.size(), size);
@take-delta-wraps  a message stamped before the one ahead of it gets a delta of 49 days
- const DWORD delta = time > out.lastTime ? time - out.lastTime : 0;
+ const DWORD delta = time - out.lastTime;
@take-data-high-bit  a data byte above 127 in a take reads as a status byte: the file breaks
- const BYTE bytes[] = {BYTE(message), BYTE((message >> 8) & 0x7F), BYTE((message >> 16) & 0x7F)};
+ const BYTE bytes[] = {BYTE(message), BYTE(message >> 8), BYTE(message >> 16)};
@take-track-length  the take's track length is one byte short: readers lose its end
- if (!stream->failed && !WriteTakeTrackLength(stream->file, stream->length)) {
+ if (!stream->failed && !WriteTakeTrackLength(stream->file, stream->length - 1)) {
@take-sysex-status  a system-exclusive message without its F0 is written as an F0 event
- const BYTE status = first == 0xF0 ? 0xF0 : 0xF7;
+ const BYTE status = 0xF0;
@take-bank-lsb-as-msb  the take's opening bank select names the bank LSB as its MSB
- PutControlChange(out, 0, ch, 0x00, BYTE(word >> 16));
+ PutControlChange(out, 0, ch, 0x00, BYTE(word >> 8));
@take-short-write  a short write (a full disk) is taken for a saved take
- return WriteFile(file, bytes, count, &written, nullptr) && written == count;
+ return WriteFile(file, bytes, count, &written, nullptr);
@take-name-no-copy  a second take within the same second finds no free name and is not saved
- for (DWORD copy = 1; copy <= TAKE_COPY_LIMIT && NameTaken(error); copy++) {
+ for (DWORD copy = 1; copy <= 1 && NameTaken(error); copy++) {
@take-part-left  a failed save leaves its .part file behind
- DeleteFileA(temporary);
+ (void)temporary;
@take-folder-separator  a take in PLINKARO_RECORD_DIR is saved beside the folder, not in it
- const BOOL separate = folderLength > 0 && !IsSeparator(folder[folderLength - 1]);
+ const BOOL separate = folderLength > 0 && IsSeparator(folder[folderLength - 1]);
@take-fallback-success  a take saved nowhere is reported as saved
- return fallbackError == ERROR_SUCCESS;
+ return TRUE;
@enable-message-says-enabled  WM_ENABLE tells a window being disabled that it is enabled
- SendMessageA(handle, WM_ENABLE, enable ? TRUE : FALSE, 0);
+ SendMessageA(handle, WM_ENABLE, TRUE, 0);
@dialog-keys-taken  Enter and Escape go to the dialog even from a control that wants all keys
- if (!(code & DLGC_WANTALLKEYS)) {
+ if (code || true) {
@client-to-screen-axes  ClientToScreen adds the client origin's y to x
- point->x += origin.x;
+ point->x += origin.y;
@window-long-previous  SetWindowLongPtrA answers the new value instead of the previous one
- const LONG_PTR previous = GetWindowLongPtrA(handle, index);
+ const LONG_PTR previous = value;
@call-window-proc-params  CallWindowProcA swaps wParam and lParam on the way to the chained procedure
- return procedure ? procedure(window, message, wParam, lParam) : 0;
+ return procedure ? procedure(window, message, WPARAM(lParam), LPARAM(wParam)) : 0;
@region-difference-gap  an invalidated area loses a one-pixel column: it is never repainted
- {overlap.right, overlap.top, from.right, overlap.bottom},
+ {overlap.right + 1, overlap.top, from.right, overlap.bottom},
EOF

SEARCH_DIRS=(app midi input record song display common platform)

usage() { sed -n '/^# Usage:/,/^# Logs/p' "$0" | sed 's/^# \{0,1\}//'; }

trim() {
  local text="$1"
  text="${text#"${text%%[![:space:]]*}"}"
  printf '%s' "${text%"${text##*[![:space:]]}"}"
}

# ---------------------------------------------------------------- the fault table
FAULT_IDS=()
declare -A FAULT_WHAT FAULT_FROM FAULT_TO
parse_faults() {
  local line id=""
  while IFS= read -r line; do
    case "$line" in
      @*)
        id="${line%%[[:space:]]*}"
        id="${id#@}"
        FAULT_IDS+=("$id")
        FAULT_WHAT[$id]=$(trim "${line#@"$id"}")
        ;;
      "- "*) FAULT_FROM[$id]=$(trim "${line#- }") ;;
      "+ "*) FAULT_TO[$id]=$(trim "${line#+ }") ;;
      "") ;;
      *) echo "mutation_check: unreadable fault line: $line" >&2; exit 2 ;;
    esac
  done <<<"$FAULTS"
}

# Prints "file:line" for every source line whose text (blanks aside) is exactly $1.
find_line() {
  local wanted="$1" dir hit file number text
  local dirs=()
  for dir in "${SEARCH_DIRS[@]}"; do [[ -d "$SOURCE/$dir" ]] && dirs+=("$dir"); done
  ((${#dirs[@]})) || return 0
  (cd "$SOURCE" || exit; grep -rnF --include="*.cpp" --include="*.h" -e "$wanted" -- "${dirs[@]}" || true) |
    while IFS= read -r hit; do
      file="${hit%%:*}"
      hit="${hit#*:}"
      number="${hit%%:*}"
      text="${hit#*:}"
      [[ "/$file" == */tests/* ]] && continue
      [[ "$(trim "$text")" == "$wanted" ]] && printf '%s:%s\n' "$file" "$number"
    done
}

# ---------------------------------------------------------------- applying and restoring
ACTIVE_FILE=""  # the file currently mutated, relative to SOURCE

restore() {
  [[ -n "$ACTIVE_FILE" ]] || return 0
  cat "$BACKUP" >"$SOURCE/$ACTIVE_FILE"  # new contents, new time: the next build recompiles it
  cmp -s "$BACKUP" "$SOURCE/$ACTIVE_FILE" || echo "mutation_check: could not restore $ACTIVE_FILE" >&2
  rm -f "$MARKER"
  ACTIVE_FILE=""
}

# A run killed outright left its mutated file behind: put it back before anything else.
recover_previous_run() {
  [[ -f "$MARKER" && -f "$BACKUP" ]] || return 0
  ACTIVE_FILE=$(cat "$MARKER")
  echo "restoring $ACTIVE_FILE, left mutated by an interrupted run"
  restore
}

on_signal() {
  # The build or test run has a session of its own (the test runs start in subshells, so
  # its id is kept in a file): end it and everything it started.
  local child
  child=$(cat "$CHILD_FILE" 2>/dev/null || true)
  if [[ -n "$child" ]] && kill -TERM -- "-$child" 2>/dev/null; then
    for _ in $(seq 50); do
      kill -0 -- "-$child" 2>/dev/null || break
      sleep 0.2
    done
    kill -KILL -- "-$child" 2>/dev/null || true
  fi
  rm -f "$CHILD_FILE"
  restore
  echo "mutation_check: interrupted; sources restored" >&2
  exit 130
}

apply_fault() {  # apply_fault FILE LINE REPLACEMENT
  local file="$1" number="$2" replacement="$3" original indent
  cp "$SOURCE/$file" "$BACKUP"
  printf '%s\n' "$file" >"$MARKER"
  ACTIVE_FILE="$file"
  original=$(sed -n "${number}p" "$SOURCE/$file")
  indent="${original%%[![:space:]]*}"
  NUMBER="$number" LINE="$indent$replacement" \
    awk 'NR == ENVIRON["NUMBER"] { print ENVIRON["LINE"]; next } { print }' "$BACKUP" \
    >"$SOURCE/$file"
}

# Runs a command in a session of its own, so an interrupt can end all that it started.
run_child() {  # run_child LOG COMMAND...
  local log="$1" status=0
  shift
  setsid "$@" >"$log" 2>&1 </dev/null &
  local child=$!
  echo "$child" >"$CHILD_FILE"
  wait "$child" || status=$?
  rm -f "$CHILD_FILE"
  return "$status"
}

# ---------------------------------------------------------------- building and testing
configure() {
  (cd "$SOURCE" && cmake --preset debug -B "$BUILD") >"$LOGS/configure.log" 2>&1 || {
    echo "mutation_check: configuring failed, see $LOGS/configure.log" >&2
    exit 1
  }
}

build() { run_child "$LOGS/$1.build.log" cmake --build "$BUILD" -j"$JOBS"; }

# Runs the suite; prints the names of the failing tests, one a line.
run_tests() {  # run_tests LOGNAME [CTEST_ARGS...]
  local name="$1"
  shift
  rm -f "$BUILD/Testing/Temporary/LastTestsFailed.log"
  run_child "$LOGS/$name.test.log" \
    ctest --test-dir "$BUILD" -j"$JOBS" --timeout "$TEST_TIMEOUT" --output-on-failure "$@" || true
  if [[ -f "$BUILD/Testing/Temporary/LastTestsFailed.log" ]]; then
    sed 's/^[0-9]*://' "$BUILD/Testing/Temporary/LastTestsFailed.log"
  fi
}

# A ctest regular expression matching exactly the given test names.
names_regex() {
  local regex="" test
  for test in "$@"; do
    regex+="${regex:+|}$(printf '%s' "$test" | sed 's/[][\.^$*+?(){}|]/\\&/g')"
  done
  printf '^(%s)$' "$regex"
}

# Runs the suite without the tests that already failed on the unchanged sources: their
# verdict could not count, and they take time.
run_suite() {  # run_suite LOGNAME
  local only=()
  [[ -n "$TEST_FILTER" ]] && only=(-R "$TEST_FILTER")
  if ((${#BASELINE_FAILURES[@]})); then
    run_tests "$1" "${only[@]}" -E "$(names_regex "${BASELINE_FAILURES[@]}")"
  else
    run_tests "$1" "${only[@]}"
  fi
}

# Reruns exactly the given tests; prints those that fail again.
rerun_failures() {  # rerun_failures LOGNAME TEST...
  local name="$1"
  shift
  run_tests "$name" -R "$(names_regex "$@")"
}

# ---------------------------------------------------------------- the report
RESULTS=()   # "id verdict where seconds"
DETAILS=()   # "id: tests that caught it"
record() {  # record ID VERDICT WHERE SECONDS [DETAIL]
  RESULTS+=("$(printf '%-30s %-7s %-44s %5s' "$1" "$2" "$3" "$4")")
  DETAILS+=("$1 ($2): ${5:-}")
  printf '%-30s %-7s %-44s %5ss  %s\n' "$1" "$2" "$3" "$4" "${5:-}"
}

report() {
  local caught=0 missed=0 broken=0 gone=0 row
  for row in "${RESULTS[@]}"; do
    case "$(awk '{print $2}' <<<"$row")" in
      CAUGHT) caught=$((caught + 1)) ;;
      MISSED) missed=$((missed + 1)) ;;
      BUILD) broken=$((broken + 1)) ;;
      GONE) gone=$((gone + 1)) ;;
    esac
  done
  {
    echo "Mutation check of $SOURCE ($(git -C "$SOURCE" rev-parse --short HEAD 2>/dev/null || echo 'no git'))"
    echo "Tests failing before any fault (not run with the faults, left out of every verdict):" \
      "${BASELINE_FAILURES[*]:-none}"
    [[ -z "$TEST_FILTER" ]] || echo "Only the tests matching $TEST_FILTER were run."
    echo
    printf '%-30s %-7s %-44s %5s\n' fault verdict where seconds
    printf '%s\n' "${RESULTS[@]}"
    echo
    echo "caught $caught, missed $missed, build $broken, gone $gone of ${#RESULTS[@]} faults;" \
      "total time $(($(date +%s) - START))s"
  } | tee "${OUTPUT:-/dev/null}"
  if [[ -n "$OUTPUT" ]]; then
    {
      echo
      echo "Tests that caught each fault:"
      printf '%s\n' "${DETAILS[@]}"
    } >>"$OUTPUT"
  fi
}

# ---------------------------------------------------------------- main
SOURCE="$(cd "$(dirname "$0")/.." && pwd)"
BUILD=""
OUTPUT=""
TEST_TIMEOUT=30
JOBS=2
LIST=0
TEST_FILTER=""
while getopts "s:b:o:t:j:R:lh" option; do
  case "$option" in
    s) SOURCE="$(cd "$OPTARG" && pwd)" ;;
    b) BUILD="$OPTARG" ;;
    o) OUTPUT="$(realpath -m "$OPTARG")" ;;
    t) TEST_TIMEOUT="$OPTARG" ;;
    j) JOBS="$OPTARG" ;;
    R) TEST_FILTER="$OPTARG" ;;
    l) LIST=1 ;;
    h) usage; exit 0 ;;
    *) usage >&2; exit 2 ;;
  esac
done
shift $((OPTIND - 1))
BUILD="$(realpath -m "${BUILD:-$SOURCE/build/mutation}")"
LOGS="$BUILD/mutation-logs"
BACKUP="$BUILD/mutation-backup"
MARKER="$BUILD/mutation-active"
CHILD_FILE="$BUILD/mutation-child"

parse_faults
if ((LIST)); then
  for id in "${FAULT_IDS[@]}"; do
    where=$(find_line "${FAULT_FROM[$id]}" | paste -sd' ')
    printf '%-30s %-44s %s\n' "$id" "${where:-(not found)}" "${FAULT_WHAT[$id]}"
  done
  exit 0
fi
SELECTED=("$@")
((${#SELECTED[@]})) || SELECTED=("${FAULT_IDS[@]}")
for id in "${SELECTED[@]}"; do
  [[ -n "${FAULT_FROM[$id]+set}" ]] || { echo "mutation_check: no fault $id (see -l)" >&2; exit 2; }
done

mkdir -p "$LOGS"
trap on_signal INT TERM HUP
trap restore EXIT
recover_previous_run
START=$(date +%s)

echo "== unchanged sources: build and test ($BUILD)"
configure
build baseline || { echo "mutation_check: the unchanged sources do not build, see $LOGS/baseline.build.log" >&2; exit 1; }
mapfile -t BASELINE_FAILURES < <(run_tests baseline ${TEST_FILTER:+-R "$TEST_FILTER"})
if ((${#BASELINE_FAILURES[@]})); then
  echo "already failing, not run again and left out of every verdict: ${BASELINE_FAILURES[*]}"
else
  echo "every test passes"
fi

echo "== ${#SELECTED[@]} faults"
for id in "${SELECTED[@]}"; do
  began=$(date +%s)
  mapfile -t places < <(find_line "${FAULT_FROM[$id]}")
  if ((${#places[@]} != 1)); then
    record "$id" GONE "${#places[@]} matching lines" 0
    continue
  fi
  file="${places[0]%:*}"
  number="${places[0]##*:}"
  apply_fault "$file" "$number" "${FAULT_TO[$id]}"
  if ! build "$id"; then
    restore
    record "$id" BUILD "${places[0]}" $(($(date +%s) - began)) "see $LOGS/$id.build.log"
    continue
  fi
  mapfile -t failed < <(run_suite "$id")
  confirmed=()
  if ((${#failed[@]})); then mapfile -t confirmed < <(rerun_failures "$id.rerun" "${failed[@]}"); fi
  restore
  seconds=$(($(date +%s) - began))
  if ((${#confirmed[@]})); then
    record "$id" CAUGHT "${places[0]}" "$seconds" "${confirmed[*]}"
  elif ((${#failed[@]})); then
    record "$id" MISSED "${places[0]}" "$seconds" "failed once, passed when rerun: ${failed[*]}"
  else
    record "$id" MISSED "${places[0]}" "$seconds"
  fi
done

echo
report
