#!/usr/bin/env bash
# Regenerates the sound files that are installed beside the program and played by fixed names:
#   data/toll/{A,B,C}/{A,B,C}1.WAV ... 12.WAV   hourly chimes; the file for hour n strikes n times
#   data/SayTimeWav/{M,F}/*.wav                  spoken Mandarin words and numbers, male and female
#   data/timeup.mp3                              the built-in alarm sound
#   data/emergency/evacuation.wav                the emergency broadcast's evacuation tone
# Everything is synthesised (sox) or spoken (espeak-ng), so the files carry no third-party recordings
# and a re-run gives the same bytes. The files are then measured: durations, levels, the number of
# strikes per chime, and that GStreamer decodes them.
#
#   scripts/make-data.sh           regenerate, then check
#   scripts/make-data.sh --check   only check the files already in data/
set -euo pipefail

root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
data="$root/data"

# Small files: mono 16-bit PCM at 16 kHz holds the bells' partials and speech comfortably.
readonly RATE=16000
readonly STRIKE_SPACING_MS=1200 # from one strike to the next
readonly STRIKE_LENGTH=2.0      # how long one strike rings, so also the ring-out after the last
readonly STRIKE_FADE=0.6        # closing fade of each strike, so a strike never stops with a click
readonly STRIKE_PEAK_DB=-3      # peak of a single strike; overlapping tails stay below full scale
readonly SPEECH_VOICE=cmn-latn-pinyin
readonly SPEECH_FEMALE_VARIANT=f3 # highest pitch of the espeak-ng female variants, about 200 Hz
readonly SPEECH_SPEED=150         # words per minute; a number takes 0.4 to 1.1 s
readonly SPEECH_PEAK_DB=-3
readonly SPEECH_THRESHOLD=0.5% # below this level the start and end of a word count as silence
readonly ALARM_RATE=32000
readonly ALARM_KBPS=64
# The evacuation tone: three half-second pulses a second apart, then a pause, so one loop lasts 4 s
# (the temporal pattern of evacuation signals). A square wave holds the odd partials that carry over
# the noise of a crowd; it starts at once, since the emergency broadcast loops it from its first sample.
readonly EVACUATION_FREQ=950
readonly EVACUATION_PULSE=0.5
readonly EVACUATION_PULSES=3
readonly EVACUATION_LOOP=4.0
readonly EVACUATION_PEAK_DB=-1

# sox -R seeds its noise and dither generators with a fixed number, so re-runs are byte-identical.
# sox works in fixed point and clips a mix that sums above full scale, which sounds as a crackle at
# every strike; its warning is made an error so that no level change can let that slip through.
sx() {
  local log
  log=$(sox -R "$@" 2>&1) || {
    echo "$log" >&2
    return 1
  }
  if grep -q clipped <<<"$log"; then
    printf 'make-data: sox clipped a signal in: sox %s\n%s\n' "$*" "$log" >&2
    return 1
  fi
}
float=(-r "$RATE" -c 1 -e floating-point -b 32)
pcm16=(-r "$RATE" -c 1 -e signed-integer -b 16)

check_tools() {
  local missing=()
  command -v sox >/dev/null || missing+=(sox)
  command -v soxi >/dev/null || missing+=(sox)
  command -v awk >/dev/null || missing+=(gawk)
  if [ "$1" = generate ]; then
    command -v lame >/dev/null || missing+=(lame)
    if ! command -v espeak-ng >/dev/null; then
      missing+=(espeak-ng)
    elif ! espeak-ng --voices=cmn | grep -q "$SPEECH_VOICE"; then
      missing+=(espeak-ng-data)
    fi
  fi
  if [ ${#missing[@]} -gt 0 ]; then
    echo "make-data: missing tools; install them with:" >&2
    echo "  sudo apt-get install $(printf '%s\n' "${missing[@]}" | sort -u | tr '\n' ' ')" >&2
    exit 1
  fi
  if ! command -v gst-launch-1.0 >/dev/null; then
    echo "make-data: gst-launch-1.0 not found, so the decode check is skipped; to run it install" >&2
    echo "  gstreamer1.0-tools gstreamer1.0-plugins-base gstreamer1.0-plugins-good" \
      "gstreamer1.0-plugins-ugly gstreamer1.0-libav" >&2
  fi
}

# ---------------------------------------------------------------------------------------------------
# Synthesis

# One partial of a struck sound: a sine whose level falls by 100 dB over <decay> seconds (a straight
# line in dB, as a struck bar or bell decays), cut or padded to <length> seconds.
# partial OUT LENGTH FREQ AMPLITUDE DECAY
partial() {
  sx -n "${float[@]}" "$1" synth "$5" sine "$3" fade l 0 "$5" "$5" vol "$4" pad 0 "$2" trim 0 "$2"
}

# A short burst of filtered noise: the clapper or hammer hitting the metal.
# knock OUT LENGTH LOW_HZ HIGH_HZ AMPLITUDE
knock() {
  sx -n "${float[@]}" "$1" synth 0.03 whitenoise fade l 0 0.03 0.03 sinc "$3-$4" vol "$5" \
    pad 0 "$2" trim 0 "$2"
}

# Mixes every partial file in a folder into one sound with the given peak, fading out its end. Each
# input is first scaled by 1/count: no partial exceeds full scale, so neither can their sum.
# strike_from DIR OUT PEAK_DB LENGTH FADE
strike_from() {
  local files=("$1"/p*.wav) inputs=() f share
  share=$(awk -v n="${#files[@]}" 'BEGIN { print 1 / n }')
  for f in "${files[@]}"; do inputs+=(-v "$share" "$f"); done
  sx -m "${inputs[@]}" "${float[@]}" "$2" trim 0 "$4" fade t 0 "$4" "$5" gain -n "$3"
}

# Adds a list of partials "ratio amplitude decay ..." over a base frequency into DIR.
# partials DIR PREFIX LENGTH BASE_HZ ratio amp decay [ratio amp decay ...]
partials() {
  local dir=$1 prefix=$2 length=$3 base=$4 i=0
  shift 4
  while [ $# -ge 3 ]; do
    partial "$dir/p$prefix$i.wav" "$length" "$(awk -v b="$base" -v r="$1" 'BEGIN { print b * r }')" \
      "$2" "$3"
    shift 3
    i=$((i + 1))
  done
}

# A deep church bell: hum, prime, minor-third tierce, quint and nominal with their inharmonic upper
# partials; the low ones ring longest, and near-doubled partials beat slowly as a real bell does.
bell_church() {
  local dir=$1
  partials "$dir" a 4 196 \
    0.5 0.40 9 \
    1.0 0.45 7 1.004 0.20 7 \
    1.19 0.40 6 \
    1.51 0.18 4 \
    2.0 0.55 5 2.006 0.25 5 \
    2.52 0.22 3 \
    2.67 0.18 2.5 \
    3.01 0.14 2 \
    4.07 0.10 1.2 \
    5.12 0.06 0.7 \
    6.21 0.04 0.4
  knock "$dir/pk.wav" 4 1500 4000 0.25
  strike_from "$dir" "$dir/strike.wav" "$STRIKE_PEAK_DB" "$STRIKE_LENGTH" "$STRIKE_FADE"
}

# A bright small bell: a high fundamental with a shimmering doublet and quickly fading upper partials.
bell_small() {
  local dir=$1
  partials "$dir" b 4 1318.5 \
    1.0 0.55 3.5 1.0023 0.30 3.5 \
    2.32 0.22 1.6 \
    2.76 0.20 1.3 \
    4.25 0.10 0.6 \
    5.40 0.07 0.4
  knock "$dir/pk.wav" 4 3000 7000 0.15
  strike_from "$dir" "$dir/strike.wav" "$STRIKE_PEAK_DB" "$STRIKE_LENGTH" "$STRIKE_FADE"
}

# One soft chime bar: a mostly pure tone with weak overtones, as a tuned tube or door chime.
# chime_note OUT FREQ LENGTH
chime_note() {
  local out=$1 freq=$2 length=$3 dir
  dir=$(mktemp -d "$work/note.XXXXXX")
  partials "$dir" c "$length" "$freq" \
    1.0 0.60 4 1.003 0.15 4 \
    2.0 0.10 1.5 \
    3.0 0.07 1.0 \
    4.16 0.05 0.5
  knock "$dir/pk.wav" "$length" 2000 5000 0.06
  strike_from "$dir" "$out" -1 "$length" 0.01
}

# A two-tone "ding-dong": a high note and, a little later, a lower one make up one strike.
bell_dingdong() {
  local dir=$1
  chime_note "$dir/ding.wav" 659.26 "$STRIKE_LENGTH"
  chime_note "$dir/dong.wav" 523.25 "$STRIKE_LENGTH"
  sx -m -v 0.5 "$dir/ding.wav" -v 0.5 "|sox -R '$dir/dong.wav' -p pad 0.42" "${float[@]}" \
    "$dir/strike.wav" trim 0 "$STRIKE_LENGTH" fade t 0 "$STRIKE_LENGTH" "$STRIKE_FADE" \
    gain -n "$STRIKE_PEAK_DB"
}

# seconds MILLISECONDS: the decimal text sox takes for a time.
seconds() { printf '%d.%03d' $(($1 / 1000)) $(($1 % 1000)); }

# The chime for hour n: n strikes at a fixed spacing, each left to ring over the next.
# hour_file STRIKE OUT N
hour_file() {
  local strike=$1 out=$2 n=$3 k inputs=()
  for ((k = 0; k < n; k++)); do
    inputs+=(-v 1 "|sox -R '$strike' -p pad $(seconds $((k * STRIKE_SPACING_MS)))")
  done
  if [ "$n" -eq 1 ]; then
    sx "$strike" "${pcm16[@]}" "$out"
  else
    sx -m "${inputs[@]}" "${pcm16[@]}" "$out"
  fi
}

make_chimes() {
  local set dir n
  for set in A B C; do
    dir="$work/bell$set"
    mkdir -p "$dir" "$work/toll/$set"
    case $set in
      A) bell_church "$dir" ;;
      B) bell_small "$dir" ;;
      C) bell_dingdong "$dir" ;;
    esac
    for n in $(seq 1 12); do
      hour_file "$dir/strike.wav" "$work/toll/$set/$set$n.WAV" "$n"
    done
  done
}

# The Mandarin reading of 0 to 59: 零, 一 … 九, 十, 十一 … 十九, 二十, 二十一 …
number_text() {
  local n=$1 text=
  local digits=(零 一 二 三 四 五 六 七 八 九)
  local tens=$((n / 10)) units=$((n % 10))
  [ "$tens" -ge 2 ] && text=${digits[$tens]}
  [ "$tens" -ge 1 ] && text+=十
  if [ "$units" -ne 0 ] || [ "$n" -eq 0 ]; then text+=${digits[$units]}; fi
  printf '%s' "$text"
}

# say VOICE TEXT OUT: speaks TEXT, trims the silence around it and leaves a short pause at both ends
# so that words played one after another neither clip nor run together.
say() {
  local raw="$work/say.wav"
  espeak-ng -v "$1" -s "$SPEECH_SPEED" -w "$raw" "$2"
  sx "$raw" "${pcm16[@]}" "$3" silence 1 0.005 "$SPEECH_THRESHOLD" reverse \
    silence 1 0.005 "$SPEECH_THRESHOLD" reverse gain -n "$SPEECH_PEAK_DB" pad 0.03 0.08
  rm -f "$raw"
}

# The lead-in of every announcement: a soft rising two-note chime that turns the listeners' ears
# to the loudspeaker before the time is spoken.
make_lead_in() {
  local out=$1
  chime_note "$work/lead1.wav" 783.99 1.4
  chime_note "$work/lead2.wav" 1046.5 1.4
  sx -m -v 0.5 "$work/lead1.wav" -v 0.5 "|sox -R '$work/lead2.wav' -p pad 0.35" "${pcm16[@]}" \
    "$out" trim 0 1.3 fade t 0.005 1.3 0.5 gain -n -8
}

make_speech() {
  local v voice n dir
  make_lead_in "$work/lead.wav"
  for v in M F; do
    voice=$SPEECH_VOICE
    [ "$v" = F ] && voice="$SPEECH_VOICE+$SPEECH_FEMALE_VARIANT"
    dir="$work/SayTimeWav/$v"
    mkdir -p "$dir"
    cp "$work/lead.wav" "$dir/${v}L.wav"
    say "$voice" 北京时间 "$dir/${v}BJT.wav"
    say "$voice" 点 "$dir/${v}H.wav"
    say "$voice" 分 "$dir/${v}M.wav"
    say "$voice" 秒 "$dir/${v}S.wav"
    say "$voice" 整 "$dir/${v}Z.wav"
    for n in $(seq 0 59); do
      say "$voice" "$(number_text "$n")" "$dir/$v$n.wav"
    done
  done
}

# The alarm: a bright rising arpeggio played four times and closed by a ringing top note, 5.2 s.
make_alarm() {
  local dir="$work/alarm" inputs=() i t=0
  local notes=(1046.5 1318.5 1568.0 2093.0)
  # A mallet tone: the fundamental and a quickly fading twelfth above it.
  local float=(-r "$ALARM_RATE" -c 1 -e floating-point -b 32)
  for i in "${!notes[@]}"; do
    mkdir -p "$dir/$i"
    partials "$dir/$i" m 1.5 "${notes[$i]}" 1.0 0.6 1.5 3.0 0.15 0.5
    strike_from "$dir/$i" "$dir/n$i.wav" -1 1.5 0.01
  done
  for _ in 1 2 3 4; do
    for i in 0 1 2 3; do
      inputs+=(-v 0.5 "|sox -R '$dir/n$i.wav' -p pad $(seconds "$t")")
      t=$((t + 150))
    done
    t=$((t + 400))
  done
  inputs+=(-v 0.5 "|sox -R '$dir/n3.wav' -p pad $(seconds "$t")")
  sx -m "${inputs[@]}" -r "$ALARM_RATE" -c 1 -b 16 "$dir/alarm.wav" \
    trim 0 5.2 fade t 0 5.2 0.8 gain -n -2
  lame --quiet -m m -b "$ALARM_KBPS" --noreplaygain "$dir/alarm.wav" "$work/timeup.mp3"
}

make_evacuation() {
  local dir="$work/evacuation" inputs=() i
  mkdir -p "$dir" "$work/emergency"
  # Five-millisecond ramps: no click at a pulse's edges, and the first pulse is heard at once.
  sx -n "${float[@]}" "$dir/pulse.wav" synth "$EVACUATION_PULSE" square "$EVACUATION_FREQ" \
    lowpass 4000 fade t 0.005 "$EVACUATION_PULSE" 0.005
  for ((i = 0; i < EVACUATION_PULSES; i++)); do
    inputs+=("|sox -R '$dir/pulse.wav' -p pad $i")
  done
  sx -m "${inputs[@]}" "${pcm16[@]}" "$work/emergency/evacuation.wav" \
    pad 0 "$EVACUATION_LOOP" trim 0 "$EVACUATION_LOOP" gain -n "$EVACUATION_PEAK_DB"
}

# ---------------------------------------------------------------------------------------------------
# Checks

failures=0
fail() {
  echo "make-data: FAIL $*" >&2
  failures=$((failures + 1))
}

# between VALUE LOW HIGH: true when LOW <= VALUE <= HIGH (decimals allowed).
between() { awk -v x="$1" -v lo="$2" -v hi="$3" 'BEGIN { exit !(x >= lo && x <= hi) }'; }

peak() { sox "$1" -n stat 2>&1 | awk '/^Maximum amplitude/ { print $3 }'; }

# Counts the strikes in a sound: 10 ms frames whose level jumps at least 10 dB above the loudest of
# the 50 ms before it and lies within 30 dB of the file's peak, at least 0.3 s after the last one.
onsets() {
  sox "$1" -t dat - | awk '
    /^;/ { next }
    {
      s += $2 * $2; k++
      if (k == frame) { level[n++] = s / k; s = 0; k = 0 }
    }
    BEGIN { frame = 160 }
    END {
      top = 0
      for (i = 0; i < n; i++) if (level[i] > top) top = level[i]
      count = 0; last = -100
      for (i = 0; i < n; i++) {
        before = 1e-12
        for (j = i - 5; j < i; j++) if (j >= 0 && level[j] > before) before = level[j]
        if (level[i] > top * 1e-3 && level[i] > before * 10 && i - last >= 30) { count++; last = i }
      }
      print count
    }'
}

check_format() { # FILE RATE
  local f=$1 rate channels bits
  rate=$(soxi -r "$f")
  channels=$(soxi -c "$f")
  bits=$(soxi -b "$f")
  if [ "$rate" != "$2" ] || [ "$channels" != 1 ] || [ "$bits" != 16 ]; then
    fail "$f: $rate Hz, $channels channels, $bits bits (want $2 Hz mono 16-bit)"
  fi
}

check_level() { # FILE
  local p
  p=$(peak "$1")
  between "$p" 0.1 0.999 || fail "$1: peak $p (silent or clipped)"
}

check_chimes() {
  local set n f d want strikes per
  for set in A B C; do
    per=1
    [ "$set" = C ] && per=2 # each ding-dong is two notes
    for n in $(seq 1 12); do
      f="$data/toll/$set/$set$n.WAV"
      [ -f "$f" ] || {
        fail "$f missing"
        continue
      }
      check_format "$f" "$RATE"
      check_level "$f"
      d=$(soxi -D "$f")
      want=$(awk -v n="$n" -v s="$STRIKE_SPACING_MS" -v l="$STRIKE_LENGTH" \
        'BEGIN { print (n - 1) * s / 1000 + l }')
      between "$d" "$(awk -v w="$want" 'BEGIN { print w - 0.05 }')" \
        "$(awk -v w="$want" 'BEGIN { print w + 0.05 }')" || fail "$f: $d s, want $want s"
      strikes=$(onsets "$f")
      [ "$strikes" -eq $((n * per)) ] || fail "$f: $strikes onsets, want $((n * per))"
    done
  done
}

check_speech() {
  local v f d name low high
  for v in M F; do
    for name in L BJT H M S Z $(seq 0 59); do
      f="$data/SayTimeWav/$v/$v$name.wav"
      [ -f "$f" ] || {
        fail "$f missing"
        continue
      }
      check_format "$f" "$RATE"
      check_level "$f"
      d=$(soxi -D "$f")
      case $name in
        BJT) low=0.8 high=2.0 ;;
        *) low=0.25 high=1.5 ;;
      esac
      between "$d" "$low" "$high" || fail "$f: $d s, want $low to $high s"
    done
  done
}

check_alarm() {
  local f="$data/timeup.mp3" d
  [ -f "$f" ] || {
    fail "$f missing"
    return
  }
  d=$(soxi -D "$f")
  between "$d" 3 6 || fail "$f: $d s, want 3 to 6 s"
  [ "$(soxi -c "$f")" = 1 ] || fail "$f: not mono"
  check_level "$f"
}

check_evacuation() {
  local f="$data/emergency/evacuation.wav" d strikes
  [ -f "$f" ] || {
    fail "$f missing"
    return
  }
  check_format "$f" "$RATE"
  check_level "$f"
  d=$(soxi -D "$f")
  between "$d" 3.95 4.05 || fail "$f: $d s, want $EVACUATION_LOOP s"
  strikes=$(onsets "$f")
  [ "$strikes" -eq "$EVACUATION_PULSES" ] || fail "$f: $strikes pulses, want $EVACUATION_PULSES"
  # Sound from the first 10 ms on: the time from the operator's press to the alarm is the loop's lead-in.
  between "$(sox "$f" -n trim 0 0.01 stat 2>&1 | awk '/^Maximum amplitude/ { print $3 }')" 0.05 1 ||
    fail "$f: silent at its start"
}

check_decoding() {
  command -v gst-launch-1.0 >/dev/null || return 0
  local f
  while IFS= read -r -d '' f; do
    gst-launch-1.0 -q filesrc location="$f" ! decodebin ! audioconvert ! fakesink >/dev/null 2>&1 ||
      fail "$f: GStreamer cannot decode it"
  done < <(find "$data/toll" "$data/SayTimeWav" "$data/timeup.mp3" "$data/emergency" -type f -print0)
}

report() {
  local sub
  for sub in toll/A toll/B toll/C SayTimeWav/M SayTimeWav/F timeup.mp3 emergency; do
    printf '  %-14s %s\n' "$sub" "$(du -sh --apparent-size "$data/$sub" | cut -f1)"
  done
  printf '  %-14s %s\n' total "$(du -sh --apparent-size "$data" | cut -f1)"
}

check_all() {
  check_chimes
  check_speech
  check_alarm
  check_evacuation
  check_decoding
  if [ "$failures" -gt 0 ]; then
    echo "make-data: $failures check(s) failed" >&2
    exit 1
  fi
  echo "make-data: all files present, decodable and within their measured ranges"
  report
}

# ---------------------------------------------------------------------------------------------------

main() {
  if [ "${1:-}" = --check ]; then
    check_tools check
    check_all
    return
  fi
  check_tools generate
  mkdir -p "$data"
  # Built beside the old files and swapped in at the end, so a failed run leaves the old set whole.
  work=$(mktemp -d "$data/.make-data.XXXXXX")
  trap 'rm -rf "$work"' EXIT
  make_chimes
  make_speech
  make_alarm
  make_evacuation
  rm -rf "$data/toll" "$data/SayTimeWav" "$data/timeup.mp3" "$data/emergency"
  mv "$work/toll" "$work/SayTimeWav" "$work/timeup.mp3" "$work/emergency" "$data/"
  rm -rf "$work"
  check_all
}

main "$@"
