#!/usr/bin/env bash
# The addresses scripts/site-build.sh derives for a site, checked against the rules a
# build enforces (a 35-character catalogue prefix) and against the site the catalogue
# server exports with the command the script prints: every built address must name a
# file of that site.
#
#   tests/scripts/site_build_test.sh CATALOGUE_SERVER
set -uo pipefail
source_root=$(cd "$(dirname "$0")/../.." && pwd)
server=$1
source "$source_root/scripts/lib/site-addresses.sh"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
failures=0
exported=0
fail() {
  echo "FAIL: $*" >&2
  failures=$((failures + 1))
}

# URL, name given, then the name and catalogue path expected ("-": refused).
cases=(
  "https://pics.example.org||pics-example-org|/trawl/catalog"
  "https://pics.example.org/|own-name|own-name|/trawl/catalog"
  "HTTPS://Pics.Example.ORG//||pics-example-org|/trawl/catalog"
  "https://pictures.example.org/site/||pictures-example-org|/trawl/catalog"
  "https://a.io||a-io|/trawl/picture-catalogues"
  "http://127.0.0.1:8080||127-0-0-1|/trawl/catalog"
  "http://10.0.0.1:80||10-0-0-1|/trawl/catalogues"
  "http://a||a|/trawl/picture-catalogues/xml"
  "ftp://example.org||-|-"
  "https://example.org/?page=1||-|-"
  "https://example.org/#top||-|-"
  "https://example.org/a b||-|-"
  "https:///nohost||-|-"
  "https://example.org|Bad_Name|-|-"
)
for entry in "${cases[@]}"; do
  IFS='|' read -r url name want_name want_path <<<"$entry"
  if ! site_addresses "$url" "$name" 2>"$work/message"; then
    [ "$want_name" = - ] || fail "$url: refused: $(cat "$work/message")"
    [ -s "$work/message" ] || fail "$url: refused without a message"
    continue
  fi
  [ "$want_name" != - ] || { fail "$url: accepted"; continue; }
  [ "$site_name" = "$want_name" ] || fail "$url: name $site_name, not $want_name"
  [ "$site_catalogue_path" = "$want_path" ] || fail "$url: path $site_catalogue_path, not $want_path"
  folder=$site_url$site_catalogue_path
  [ ${#site_catalogue_prefix} = 35 ] || fail "$url: prefix of ${#site_catalogue_prefix} characters"
  [ "${folder:0:35}" = "$site_catalogue_prefix" ] || fail "$url: prefix $site_catalogue_prefix"
  [[ $site_url != */ && $site_url != *[A-Z]*://* && $site_url == *[a-z]* ]] ||
    fail "$url: base $site_url"
  [ "$site_first_template" = "$folder/series/" ] || fail "$url: first template $site_first_template"
  [ "$site_second_template" = "$folder/yearly/" ] || fail "$url: second template $site_second_template"

  # The site exported for these addresses holds what the build's addresses name.
  site=$work/site-$((++exported))
  if ! "$server" --export "$site" --base-url "$site_url" --catalogue-path "$site_catalogue_path" \
    >"$work/export.out" 2>&1; then
    fail "$url: the export failed: $(cat "$work/export.out")"
    continue
  fi
  for address in "$site_connectivity_first" "${folder}/sample.xml" "${site_first_template}900/0.xml" \
    "${site_second_template}365/0.xml"; do
    [ -f "$site${address#"$site_url"}" ] || fail "$url: no file for $address"
  done
  [ -f "$site/index.html" ] || fail "$url: no file for $site_connectivity_second"
  grep -q "src=\"$site_url/trawl/pictures/" "$site$site_catalogue_path/sample.xml" ||
    fail "$url: the catalogue's pictures are not below $site_url"
done

# The script itself: --print builds nothing and names the export command.
out=$("$source_root/scripts/site-build.sh" --base-url https://a.io --print --out "$work/never")
grep -q -- "--export DIR --base-url https://a.io --catalogue-path /trawl/picture-catalogues" <<<"$out" ||
  fail "--print does not name the export command: $out"
grep -q "shorter than the 35 characters" <<<"$out" || fail "--print does not say why the path changed"
[ ! -e "$work/never" ] || fail "--print built something"
"$source_root/scripts/site-build.sh" --base-url ftp://x.org --print >/dev/null 2>&1
[ $? = 2 ] || fail "a bad address does not end with 2"

[ "$failures" = 0 ] && echo "site_build_test: ${#cases[@]} addresses checked"
exit $((failures > 0))
