#!/usr/bin/env bash
# Builds the exe and both packages signed, into build-signed/ (or
# $QM_SIGNED_BUILD_DIR), with a throwaway self-signed code-signing certificate,
# and verifies every signature with osslsigncode: the exe, the route service,
# the NSIS set-up, the uninstaller that the set-up writes, and the MSI. One
# line per file; exits
# non-zero when any of them fails. Quick when all is there: the certificate is
# kept, outside the source tree, until it is about to expire.
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
build="${QM_SIGNED_BUILD_DIR:-$top/build-signed}"
"$top/scripts/setup.sh"

# The test certificate and its password live in a folder of this user's only,
# never in the clone: a build refuses to sign with anything inside it.
certs="${TMPDIR:-/tmp}/quillmarsh-vpn-test-signing-$(id -u)"
mkdir -p -m 700 "$certs"
if [ -L "$certs" ] || [ ! -O "$certs" ]; then
  echo "sign-check: $certs is not a folder of this user's own" >&2
  exit 1
fi
cert="$certs/cert.pem" pfx="$certs/cert.pfx" password="$certs/password"
if ! { [ -s "$pfx" ] && [ -s "$password" ] && openssl x509 -in "$cert" -noout -checkend 86400 >/dev/null 2>&1; }; then
  (
    umask 077
    # No final newline: the password is the file's whole content.
    openssl rand -hex 16 | tr -d '\n' >"$password"
    openssl req -x509 -newkey rsa:3072 -sha256 -days 30 -nodes -keyout "$certs/key.pem" -out "$cert" \
      -subj "/CN=Quillmarsh VPN test signing/O=Quillmarsh Holdings" \
      -addext "basicConstraints=critical,CA:FALSE" -addext "keyUsage=critical,digitalSignature" \
      -addext "extendedKeyUsage=codeSigning" 2>/dev/null
    openssl pkcs12 -export -inkey "$certs/key.pem" -in "$cert" -out "$pfx" -passout "file:$password"
    rm -f "$certs/key.pem"
  )
  echo "sign-check: made a test certificate in $certs" >&2
fi

if ! grep -qxF "QM_SIGN_PFX:FILEPATH=$pfx" "$build/CMakeCache.txt" 2>/dev/null; then
  cmake -S "$top" -B "$build" -DCMAKE_TOOLCHAIN_FILE="$top/cmake/mingw-i686.cmake" -DCMAKE_BUILD_TYPE=Release \
        -DQM_BUILD_TESTS=OFF -DQM_SIGN_PFX="$pfx" -DQM_SIGN_PASSWORD_FILE="$password" >/dev/null
fi
echo "sign-check: building the signed exe and packages in $build" >&2
cmake --build "$build" -j"$(nproc)" --target QuillmarshVPN installer installer_msi >/dev/null

failed=0
for file in bin/QuillmarshVPN.exe bin/QuillmarshVPNService.exe installer/QuillmarshVPN-setup.exe installer/QuillmarshVPN-uninstall.exe \
            installer/QuillmarshVPN.msi; do
  if out=$(osslsigncode verify -CAfile "$cert" -in "$build/$file" 2>&1) && grep -q '^Signature verification: ok' <<<"$out"; then
    signer=$(sed -n 's/^[[:space:]]*Subject: //p' <<<"$out" | head -1)
    echo "sign-check: OK $file: signed by $signer"
  else
    echo "sign-check: FAILED $file:" >&2
    sed 's/^/    /' <<<"$out" >&2
    failed=1
  fi
done
exit "$failed"
