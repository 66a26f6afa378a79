#!/usr/bin/env bash
# Runs every benchmark of a Release build:  bash bench/run-all.sh BUILD_DIR
set -u
BUILD=${1:-build-bench}
export QT_QPA_PLATFORM=${QT_QPA_PLATFORM:-offscreen}
"$BUILD/bench/filelist_sort"
"$BUILD/bench/search_walk"
"$BUILD/bench/rename_run_window"
"$BUILD/bench/rename_run"
"$BUILD/bench/preview_window"
"$BUILD/bench/undo_copy"
"$BUILD/bench/copy_move_run"
"$BUILD/bench/cli_rename" "$BUILD/rinoza-cli"
"$BUILD/bench/startup" "$BUILD/rinoza" 15 "$BUILD/bench/startup_baseline"
"$BUILD/bench/search_window"
"$BUILD/bench/stamps_window"
"$BUILD/bench/drop_window"
"$BUILD/bench/filelist_remove"
"$BUILD/bench/photo_dates"
"$BUILD/bench/live_preview"
