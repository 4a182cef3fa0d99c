#!/usr/bin/env bash
# About a minute of fuzzing the PDU decoder; a finding fails the run.
set -euo pipefail
bash "$(dirname "$0")/../fuzz-pdu.sh" "${PELORUS_FUZZ_SECONDS:-60}"
