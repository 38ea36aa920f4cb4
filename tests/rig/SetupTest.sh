#!/usr/bin/env bash
# scripts/setup.sh's decisions against apt-get outputs recorded from a mirror
# caught mid-sync (apt-outputs/), with apt-get, dpkg and friends replaced by
# small fakes that replay them: no network, no package changes.
set -uo pipefail
here=$(cd "$(dirname "$0")" && pwd)
setup="$here/../../scripts/setup.sh"
outputs="$here/apt-outputs"
failed=0
check() { if eval "$2"; then echo "ok: $1"; else echo "FAILED: $1"; failed=1; fi; }

fakes=$(mktemp -d)
trap 'rm -rf "$fakes"' EXIT
echo VERSION_CODENAME=bookworm >"$fakes/os-release"
# Each fake reads the scenario from the environment: FAKE_INSTALLED (yes: every
# package is there), FAKE_UPDATE (a recorded update output) with FAKE_UPDATE_RC,
# and FAKE_INSTALL: ok, skew-unless-t (the skew until -t is given),
# skew-with-wine32 (whatever is asked, as long as wine32 is among it), missing.
cat >"$fakes/apt-get" <<'EOF'
#!/usr/bin/env bash
echo "$*" >>"$FAKE_CALLS"
case "$1" in
  update) cat "$FAKE_UPDATE"; exit "$FAKE_UPDATE_RC" ;;
  install)
    case "$FAKE_INSTALL" in
      ok) exit 0 ;;
      skew-unless-t) [ "$2" = -t ] && exit 0 ;;
      skew-with-wine32) [[ " $* " == *" wine32 "* ]] || exit 0 ;;
      missing) cat "$FAKE_OUTPUTS/install-not-found.txt"; exit 100 ;;
    esac
    cat "$FAKE_OUTPUTS/install-version-skew.txt"; exit 100 ;;
esac
EOF
cat >"$fakes/dpkg-query" <<'EOF'
#!/usr/bin/env bash
[ "$FAKE_INSTALLED" = yes ] && echo "install ok installed"
EOF
cat >"$fakes/dpkg" <<'EOF'
#!/usr/bin/env bash
[ "$1" = --print-foreign-architectures ] && [ "$FAKE_INSTALLED" = yes ] && echo i386
exit 0
EOF
printf '#!/bin/sh\nexit 0\n' >"$fakes/getent"
printf '#!/bin/sh\nexec "$@"\n' >"$fakes/sudo"
chmod +x "$fakes"/*

# run_setup INSTALLED UPDATE UPDATE_RC INSTALL: the set-up's answer in $answer,
# its messages in $said, its exit code in $rc and the apt-get calls in $calls.
run_setup() {
  : >"$fakes/calls"
  answer=$(PATH="$fakes:$PATH" QM_WINE=wine32 QM_WINE_WHY=test QM_OS_RELEASE="$fakes/os-release" \
    FAKE_CALLS="$fakes/calls" FAKE_OUTPUTS="$outputs" FAKE_INSTALLED=$1 FAKE_UPDATE="$outputs/$2" \
    FAKE_UPDATE_RC=$3 FAKE_INSTALL=$4 bash "$setup" --print-config 2>"$fakes/said")
  rc=$?
  said=$(grep '^setup:' "$fakes/said")
  calls=$(cat "$fakes/calls")
}

run_setup yes update-mirror-sync.txt 0 ok
check "with everything there it answers at once, without apt-get" '[ $rc -eq 0 ] && [ "$answer" = wine32 ] && [ -z "$calls" ]'

run_setup no update-mirror-sync.txt 100 ok
check "an index of the wrong size is a warning that names it, and the install goes on" \
  '[ $rc -eq 0 ] && [ "$answer" = wine32 ] && [[ $said == *"Not read:"*"bookworm-security/main i386 Packages"* ]] && [ "$(grep -c ^install <<<"$calls")" -eq 1 ]'

run_setup no update-no-release.txt 100 ok
check "a source without a Release file is named too" '[ $rc -eq 0 ] && [[ $said == *"file:/srv/half-synced ./ Release"* ]]'

run_setup no update-no-release.txt 0 skew-unless-t
check "a version skew between the architectures is installed again from the release's own suites, said in one line" \
  '[ $rc -eq 0 ] && [ "$answer" = wine32 ] && [ "$(tail -n 1 <<<"$calls" | cut -d" " -f1-3)" = "install -t bookworm" ] && [ "$(grep -c "own suites preferred" <<<"$said")" -eq 1 ]'

run_setup no update-mirror-sync.txt 100 skew-with-wine32
check "a 32-bit Wine that will not install falls back to wow64, with its reason and what wow64 needs" \
  '[ $rc -eq 0 ] && [ "$answer" = wow64 ] && [[ $said == *"falling back to wow64"* ]] && [[ $(tail -n 1 <<<"$calls") == *debootstrap* ]]'

run_setup no update-mirror-sync.txt 0 missing
check "what the rig needs failing to install stops the set-up, with apt-get's error" \
  '[ $rc -ne 0 ] && [ -z "$answer" ] && [[ $said == *FAILED* ]] && grep -q "Unable to locate package" "$fakes/said"'
exit $failed
