#!/usr/bin/env bash
# Fails when a toolkit-free core file (anything under src/ outside ui/ folders, app/ and platform/)
# includes a Qt header, a platform/posix/ header or a POSIX system header, or calls the system
# directly: the core reaches the operating system only through src/platform/.
set -u
src=${1:-src}
src=${src%/}
core=$(find "$src" \( -path '*/ui/*' -o -path '*/app/*' -o -path "$src/platform" \) -prune -o \
    \( -name '*.cpp' -o -name '*.h' \) -print)
status=0

report() {
    if [ -n "$2" ]; then
        echo "$1:"; echo "$2"; status=1
    fi
}

qt=$(echo "$core" | xargs -r grep -nE '#\s*include\s*<Q[A-Za-z]' || true)
report "core files include Qt headers" "$qt"

posix=$(echo "$core" | xargs -r grep -nE \
    '#\s*include\s*(["<]platform/posix/|<(unistd|fcntl|dirent|pwd|spawn)\.h>|<(sys|linux)/)' || true)
report "core files include platform/posix/ or POSIX system headers" "$posix"

# A call is the name, not reached through an object or a class, not declared with a type before it;
# comments are passed over.
calls=$(echo "$core" | xargs -r perl -ne '
    my $line = $_;
    $line =~ s{//.*}{};
    if ($line =~ /(?<![\w.>:])(?<!int )(?<!void )(?<!bool )(?<!auto )(?:::)?(open|openat|read|write|pread|pwrite|fsync|fdatasync|rename|renameat|renameat2|unlink|unlinkat|stat|lstat|fstat|fstatat|statx|getdents|getdents64|readdir|opendir|getcwd|getpwuid|getpwuid_r|mkdir|realpath|access|ftruncate|readlink|symlink|chmod|fchmod|syscall)\s*\(/) {
        print "$ARGV:$.: $_";
    }
    close ARGV if eof;' || true)
report "core files call the system directly" "$calls"

if [ $status -eq 0 ]; then
    echo "core is free of Qt and reaches the system only through platform/"
fi
exit $status
