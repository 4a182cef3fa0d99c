#!/usr/bin/env bash
# Builds the PDU decoder's libFuzzer target with clang (AddressSanitizer and
# UndefinedBehaviorSanitizer), seeds it with the peer vectors and runs it.
#   scripts/fuzz-pdu.sh [SECONDS]   (default 60)
# Exits non-zero when the fuzzer finds a crash, a leak or undefined behaviour; the input that
# did it is left in build/fuzz/.
set -euo pipefail
cd "$(dirname "$0")/.."
seconds="${1:-60}"
out=build/fuzz
mkdir -p "$out/corpus"

sources=(src/pdu/*.cpp src/settings/*.cpp src/files/*.cpp fuzz/pdu_decoder_fuzz.cpp)
# shellcheck disable=SC2046
clang++-14 -std=c++17 -O1 -g -fPIC -fno-omit-frame-pointer \
    -fsanitize=fuzzer,address,undefined -fno-sanitize-recover=undefined \
    -DQT_NO_KEYWORDS -DQT_USE_QSTRINGBUILDER -Isrc $(pkg-config --cflags Qt6Core) \
    "${sources[@]}" $(pkg-config --libs Qt6Core) -o "$out/pdu_decoder_fuzz"

# Seeds: every PDU of the peer vectors, as line text (first byte 0) and as raw octets (first byte 1).
tail -n +2 ../shared/peer-pdus/vectors.tsv | cut -f3 | nl -nln | while read -r n pdu; do
    printf '\0%s' "$pdu" > "$out/corpus/text-$n"
    { printf '\1'; echo -n "$pdu" | xxd -r -p; } > "$out/corpus/raw-$n"
done

cd "$out"
./pdu_decoder_fuzz -max_total_time="$seconds" -max_len=1200 -print_final_stats=1 corpus 2>&1 |
    tail -n 25
exit "${PIPESTATUS[0]}"
