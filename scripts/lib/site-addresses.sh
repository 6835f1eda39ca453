# shellcheck shell=bash
# site_addresses URL [NAME]: the service addresses of a Trawl built for the site at URL,
# as variables:
#   site_url                  URL without a trailing '/'
#   site_name                 NAME, or one made from URL's host
#   site_catalogue_path       where the catalogues are, below URL
#   site_connectivity_first   URL/trawl/ping
#   site_connectivity_second  URL/
#   site_catalogue_prefix     the first 35 characters of URL + catalogue path
#   site_first_template       URL + catalogue path + /series/
#   site_second_template      URL + catalogue path + /yearly/
#   site_note                 what was chosen for the site, or empty
# Returns 1 with a message on standard error for an unsuitable URL or NAME.

site_default_catalogue_path=/trawl/catalog
site_prefix_length=35

site_refuse() {
  echo "site-build: $*" >&2
  return 1
}

site_addresses() {
  local url=$1 name=${2:-} scheme rest host
  site_note=""
  # Scheme and host are read without regard to case; the prefix is compared exactly.
  scheme=${url%%://*}
  if [ "$scheme" != "$url" ]; then
    rest=${url#*://}
    host=${rest%%/*}
    url=$(tr 'A-Z' 'a-z' <<<"$scheme://$host")${rest:${#host}}
  fi
  [[ $url =~ ^https?:// ]] ||
    site_refuse "the base address must start with http:// or https://: $url" || return
  [[ $url != *[?#]* ]] ||
    site_refuse "the base address must not carry a query (?) or a fragment (#): $url" || return
  ! [[ $url =~ [[:space:][:cntrl:]\"\\] ]] ||
    site_refuse "the base address must not hold blanks, quotes or backslashes: $url" || return
  while [[ $url == */ ]]; do url=${url%/}; done
  rest=${url#*://}
  host=${rest%%/*}
  host=${host##*@}
  host=${host%:*}
  [ -n "$host" ] && [[ $rest != /* ]] || site_refuse "the base address names no host: $1" || return
  if [ -z "$name" ]; then
    name=$(tr 'A-Z' 'a-z' <<<"$host" | sed -E 's/[^a-z0-9]+/-/g; s/^-+//; s/-+$//')
  fi
  [[ $name =~ ^[a-z0-9][a-z0-9-]*$ ]] ||
    site_refuse "the name must be lower-case letters, digits and '-': $name" || return
  # The shortest of these whose folder address reaches the prefix's length.
  local path
  for path in "$site_default_catalogue_path" /trawl/catalogues /trawl/picture-catalogues \
    /trawl/picture-catalogues/xml; do
    [ $((${#url} + ${#path})) -ge $site_prefix_length ] && break
  done
  if [ "$path" != "$site_default_catalogue_path" ]; then
    site_note="the address $url$site_default_catalogue_path is shorter than the"
    site_note+=" $site_prefix_length characters of the catalogue prefix: the catalogues go"
    site_note+=" to $path instead"
  fi
  site_url=$url
  site_name=$name
  site_catalogue_path=$path
  site_connectivity_first=$url/trawl/ping
  site_connectivity_second=$url/
  site_catalogue_prefix=${url}${path}
  site_catalogue_prefix=${site_catalogue_prefix:0:$site_prefix_length}
  site_first_template=$url$path/series/
  site_second_template=$url$path/yearly/
}
