#!/bin/sh
# Installs the project's packages and the tools bench/compare.sh measures the companion
# against. Benchmark only: neither the program nor its tests need ffmpeg, so
# scripts/setup.sh installs it only when asked.
exec "$(dirname "$0")/../scripts/setup.sh" ffmpeg sox
