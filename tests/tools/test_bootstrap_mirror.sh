#!/usr/bin/env bash
# The bootstrap's package step on a mirror that left one architecture's index
# of one suite out: a copy of this machine's apt state without the security
# suite's i386 Packages and its Sources index, with every fetch refused (so
# the update cannot bring them back), and a dpkg state of a machine installed
# from the release (no i386 package yet, no security or point update
# installed), made from this machine's own, whatever its set-up installed. The
# plain install of the step's packages is broken there; the bootstrap's
# simulated step must resolve it, find every library's source, and, where an
# installed library is newer than any i386 version (a version a small local
# repository of the test's own holds for amd64 only), stop with a message
# that names the missing index and the library instead of apt's own.
set -euo pipefail
ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)"

skip() { echo "SKIP: $*"; exit 77; }
[ "$(id -u)" = 0 ] || skip "the bootstrap's package step needs root, as the bootstrap itself does"
command -v apt-get >/dev/null && [ -d /var/lib/apt/lists ] || skip "no apt on this machine"
dpkg --print-foreign-architectures | grep -qx i386 || skip "no i386 architecture here (tools/bootstrap adds it)"
RELEASE="$( . /etc/os-release && echo "${VERSION_CODENAME:-}")"
[ -n "$RELEASE" ] || skip "no release codename in /etc/os-release"
SECURITY="$RELEASE-security"
apt-get indextargets --format '$(RELEASE)' | grep -qx "$SECURITY" || skip "no $SECURITY suite in this machine's sources"

T="$(mktemp -d /tmp/pelloria-mirror.XXXXXX)"
trap 'rm -rf "$T"' EXIT
mkdir -p "$T/etc/apt.conf.d" "$T/etc/preferences.d" "$T/state/lists/partial" "$T/cache/archives/partial" \
         "$T/dpkg/info" "$T/dpkg/updates" "$T/deps"
cp -r /etc/apt/sources.list.d "$T/etc/"
[ ! -f /etc/apt/sources.list ] || cp /etc/apt/sources.list "$T/etc/"
cp -r /etc/apt/apt.conf.d/. "$T/etc/apt.conf.d/"
[ ! -d /etc/apt/preferences.d ] || cp -r /etc/apt/preferences.d/. "$T/etc/preferences.d/"
find /var/lib/apt/lists -maxdepth 1 -type f ! -name lock -exec cp {} "$T/state/lists/" \;
cp /var/lib/dpkg/arch "$T/dpkg/arch"
# Read last, after the machine's own settings: nothing can be fetched.
cat >"$T/etc/apt.conf.d/zz-pelloria-mirror-test" <<EOF
Dir::State "$T/state";
Dir::State::status "$T/dpkg/status";
Dir::Cache "$T/cache";
Dir::Cache::pkgcache "$T/cache/pkgcache.bin";
Dir::Cache::srcpkgcache "$T/cache/srcpkgcache.bin";
Dir::Etc::sourcelist "$T/etc/sources.list";
Dir::Etc::sourceparts "$T/etc/sources.list.d";
Dir::Etc::preferences "$T/etc/preferences";
Dir::Etc::preferencesparts "$T/etc/preferences.d";
Acquire::http::Proxy "http://127.0.0.1:9/";
Acquire::https::Proxy "http://127.0.0.1:9/";
Acquire::Retries "0";
EOF
echo "Dir::Etc::parts \"$T/etc/apt.conf.d\";" >"$T/apt.conf"
export APT_CONFIG="$T/apt.conf" DPKG_ADMINDIR="$T/dpkg"

index_file() { # identifier release architecture: the index's file name, without a compression suffix
    # A Sources index has no architecture: apt leaves the field unexpanded.
    apt-get indextargets --no-release-info --format '$(IDENTIFIER) $(RELEASE) $(ARCHITECTURE) $(FILENAME)' |
        awk -v id="$1" -v rel="$2" -v arch="$3" '$1==id && $2==rel && ($3==arch || id=="Sources") {print $4; exit}'
}
index_text() { # identifier release architecture: the index's text, whatever its compression
    local f
    f="$(index_file "$@")"
    for c in "$f" "$f".*; do
        [ -f "$c" ] && { /usr/lib/apt/apt-helper cat-file "$c"; return 0; }
    done
    return 1
}
for id in "Packages $SECURITY i386" "Sources $SECURITY source"; do
    f="$(index_file $id)"
    [ -n "$f" ] && rm -f "$f" "$f".*
done
main_i386="$(index_file Packages "$RELEASE" i386)"
ls "$main_i386"* >/dev/null 2>&1 || skip "this machine has no $RELEASE i386 index to start from"

# Puts each index stanza on stdin into the prepared dpkg state as an
# installed package, in place of the stanza of that name.
install_stanzas() {
    perl -00 -e '
        my %new;
        while (my $st = <STDIN>) {
            my ($p) = $st =~ /^Package: (\S+)$/m or next;
            # What only an index holds, then the state dpkg records.
            $st =~ s/^(?:Filename|Size|MD5sum|SHA1|SHA256|SHA512|Description-md5|Tag):.*\n(?:[ \t].*\n)*//mg;
            $st =~ s/^(Package: .*\n)/$1Status: install ok installed\n/m;
            $st =~ s/\n*\z/\n\n/;
            $new{$p} = $st;
        }
        my $out = "";
        open my $s, "<", $ARGV[0] or die "$ARGV[0]: $!";
        while (my $st = <$s>) {
            my ($p) = $st =~ /^Package: (\S+)$/m;
            next if defined $p && exists $new{$p};
            $st =~ s/\n*\z/\n\n/;
            $out .= $st;
        }
        close $s;
        open my $o, ">", $ARGV[0] or die "$ARGV[0]: $!";
        print $o $out, map { $new{$_} } sort keys %new;' "$T/dpkg/status"
}
# Fails, naming the packages, when the prepared state is broken: then the
# test's own preparation is at fault, not the bootstrap.
check_state() { # what the state is
    apt-get check >"$T/check" 2>&1 && return 0
    echo "FAILED: the test's own dpkg state ($1) is broken before the bootstrap runs; its broken packages:"
    grep -E '^ ' "$T/check" || cat "$T/check"
    exit 1
}

# The machine as installed from the release: no i386 package, and every
# installed package that a security or point update brought back at the
# release's version, with the release index's whole stanza: the relations
# too, so an update that needs its sibling at its own version, taken back
# with that sibling, still matches it. A version that no index lists (a
# package from outside Debian) stays as it is, with what it needs.
NATIVE="$(dpkg --print-architecture)"
perl -00 -ne 'print unless /^Architecture: i386$/m' /var/lib/dpkg/status >"$T/dpkg/status"
apt-get indextargets --no-release-info --format '$(IDENTIFIER) $(ARCHITECTURE) $(RELEASE)' |
    awk -v a="$NATIVE" '$1 == "Packages" && $2 == a {print $3}' | sort -u |
    while read -r rel; do index_text Packages "$rel" "$NATIVE" || true; done |
    awk '/^Package:/ {p = $2} /^Version:/ {print p, $2}' | sort -u >"$T/listed"
index_text Packages "$RELEASE" "$NATIVE" | perl -00 -e '
    my (%listed, %installed);
    { local $/ = "\n"; open my $l, "<", $ARGV[0] or die; while (<$l>) { chomp; $listed{$_} = 1 } }
    open my $s, "<", $ARGV[1] or die;
    while (my $st = <$s>) {
        my ($p) = $st =~ /^Package: (\S+)$/m; my ($v) = $st =~ /^Version: (\S+)$/m;
        $installed{$p} = $v if defined $p && defined $v && $st =~ /^Status: install ok installed$/m;
    }
    while (my $st = <STDIN>) {
        my ($p) = $st =~ /^Package: (\S+)$/m; my ($v) = $st =~ /^Version: (\S+)$/m;
        next unless defined $p && defined $v && exists $installed{$p};
        my $i = delete $installed{$p};
        print $st if $i ne $v && $listed{"$p $i"} && system("dpkg", "--compare-versions", $i, "gt", $v) == 0;
    }' "$T/listed" "$T/dpkg/status" >"$T/reverted"
install_stanzas <"$T/reverted"
reverted="$(awk '/^Package:/ {print $2}' "$T/reverted")"
echo "== the machine as installed from $RELEASE: $(echo "$reverted" | grep -c .) updated packages taken back to its versions"
[ -z "$reverted" ] || echo "$reverted" | paste -sd' ' | fold -s -w 100 | sed 's/^/  /'
check_state "the machine taken back to $RELEASE's versions"

bootstrap() { # runs the simulated package step; its output in $T/out, its status returned
    local rc=0
    PELLORIA_TEST_ARCH=i686 PELLORIA_DEPS="$T/deps" PELLORIA_APT_RETRY_PAUSE=0 \
        "$ROOT/tools/bootstrap" --simulate-packages >"$T/out" 2>&1 || rc=$?
    grep '^\[bootstrap\]' "$T/out" || true
    return $rc
}
fails=0
check() { if eval "$2"; then echo "ok: $1"; else echo "FAILED: $1"; fails=$((fails + 1)); fi; }

echo "== the plain install in this state"
PKGS=(wine wine64 wine32:i386 libgl1:i386 libglx-mesa0:i386 libgl1-mesa-dri:i386)
if LC_ALL=C apt-get install -s --no-install-recommends "${PKGS[@]}" >"$T/plain" 2>&1; then
    echo "note: on this mirror even the plain install resolves (the $SECURITY suite updates no library both need)"
else
    grep -E '^E:' "$T/plain"
    grep -c ' : Depends: ' "$T/plain" | sed 's/^/unmet dependencies: /'
fi

echo "== the bootstrap's package step"
rc=0; bootstrap || rc=$?
check "the step resolves" '[ $rc = 0 ]'
check "it names the index the update left out" 'grep -q "$SECURITY/main i386" "$T/out"'
check "it neither removes nor breaks anything" 'grep -q "packages to unpack, 0 to remove" "$T/out"'
for src in libjpeg-turbo libpng1.6 libogg libvorbis freetype googletest; do
    check "a version of the source of $src is found without $SECURITY's Sources" \
        'grep -qE "source of $src: [0-9]" "$T/out"'
done

echo "== an installed library newer than any i386 version"
# libexpat1, which the i386 Mesa drivers need, installed at a version that
# only a local repository written here holds: its amd64 index has it, its
# i386 index lags at the release's version, as a mirror in sync would.
# Matching it needs the missing i386 version or a downgrade. The repository
# is the test's own, so the case runs whatever the machine's mirror holds.
LIB=libexpat1
stanza() { perl -00 -ne "if (!\$seen && /^Package: \Q$1\E\$/m) { print; \$seen = 1 }"; } # the package's first stanza of an index on stdin
rel_i386="$(index_text Packages "$RELEASE" i386 | stanza $LIB)" || true
rel_amd64="$(index_text Packages "$RELEASE" amd64 | stanza $LIB)" || true
[ -n "$rel_i386" ] && [ -n "$rel_amd64" ] || { echo "FAILED: no $LIB in the $RELEASE suite's amd64 and i386 indexes"; exit 1; }
rel="$(awk '/^Version:/ {print $2; exit}' <<<"$rel_i386")"
src="$(awk '/^Source:/ {print $2; exit}' <<<"$rel_amd64")"; src="${src:-$LIB}"
# Newer than every version any index lists, so no index has it for i386.
new=""
for v in $(apt-cache show "$LIB:amd64" 2>/dev/null | awk '/^Version:/ {print $2}'); do
    if [ -z "$new" ] || dpkg --compare-versions "$v" gt "$new"; then new="$v"; fi
done
new="${new:-$rel}+local1"

repo="$T/repo"; dist="$repo/dists/mirror-test"
mkdir -p "$dist/main/binary-amd64" "$dist/main/binary-i386"
# A Packages stanza is enough for a simulation: no .deb behind it.
sed "s/^Version: .*/Version: $new/" <<<"$rel_amd64" >"$dist/main/binary-amd64/Packages"
printf '%s\n' "$rel_i386" >"$dist/main/binary-i386/Packages"
{
    printf 'Suite: mirror-test\nCodename: mirror-test\nArchitectures: amd64 i386\nComponents: main\n'
    printf 'Date: %s\nSHA256:\n' "$(LC_ALL=C date -u -R)"
    for a in amd64 i386; do
        f="main/binary-$a/Packages"
        printf ' %s %s %s\n' "$(sha256sum <"$dist/$f" | cut -d' ' -f1)" "$(stat -c %s "$dist/$f")" "$f"
    done
} >"$dist/Release"
# apt reads local sources as its unprivileged user where it can.
chmod 755 "$T"
echo "deb [trusted=yes] copy:$repo mirror-test main" >"$T/etc/sources.list.d/pelloria-mirror-test.list"
apt-get update -qq -o Dir::Etc::sourcelist="$T/etc/sources.list.d/pelloria-mirror-test.list" \
    -o Dir::Etc::sourceparts=- -o APT::Get::List-Cleanup=0 >"$T/update" 2>&1 || true
for a in amd64 i386; do
    index_text Packages mirror-test $a >/dev/null ||
        { cat "$T/update"; echo "FAILED: apt did not read the local repository's $a index"; exit 1; }
done

# Installed at that version, the other installed packages of its source with
# it, as an upgrade would leave them: their exact dependencies on it hold.
perl -i -00 -e '
    my ($src, $new) = splice @ARGV, 0, 2;
    while (my $st = <>) {
        my ($p) = $st =~ /^Package: (\S+)$/m;
        my ($s) = $st =~ /^Source: (\S+)/m;
        my ($v) = $st =~ /^Version: (\S+)$/m;
        $st =~ s/(?<=[\s(])\Q$v\E(?=[)\s])/$new/g if ($s // $p) eq $src && defined $v;
        print $st;
    }' "$src" "$new" "$T/dpkg/status"
sed "s/^Version: .*/Version: $new/" <<<"$rel_amd64" | install_stanzas
# The stop must come from the missing version, not from a broken state.
check_state "with $LIB $new"

rc=0; bootstrap || rc=$?
check "the step stops" '[ $rc != 0 ]'
check "its message names the missing index" 'grep -q "^\[bootstrap\]   $SECURITY/main i386" "$T/out"'
# Another suite (updates) may list further i386 versions after the release's.
check "and the library that cannot be matched" \
    'line="$(grep -F "[bootstrap]   $LIB: amd64 $new, i386 has only " "$T/out")" &&
     [[ ", ${line#*has only }," == *", $rel,"* ]]'
check "instead of apt's generic message" '! grep -q "held broken packages" "$T/out"'

[ $fails = 0 ] || { echo "$fails checks failed"; exit 1; }
echo "all checks passed"
