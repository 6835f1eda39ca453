#include "catalogue_document.h"

namespace catalogue {
namespace {

constexpr std::string_view kPicturesRoot = "/trawl/pictures/";

class CatalogueWriter {
 public:
  CatalogueWriter(const PictureSet& set, std::string_view baseUrl) : set_(set), baseUrl_(baseUrl) {
    xml_ = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<catalogue>\n";
  }

  void Add(const Picture& picture) {
    bool newAlbum = !current_ || current_->album != picture.album;
    if (newAlbum || current_->section != picture.section) {
      CloseSection();
      if (newAlbum) {
        xml_ += "  <album title=\"" + EscapeXml(set_.albums[picture.album].title) + "\"/>\n";
      }
      xml_ += "  <section>\n    <group kind=\"pictures\">\n";
      current_ = &picture;
    }
    xml_ += "      <entry><image src=\"" + EscapeXml(PictureAddress(baseUrl_, picture.path)) +
            "\"/></entry>\n";
  }

  std::string Finish() {
    CloseSection();
    xml_ += "</catalogue>\n";
    return std::move(xml_);
  }

 private:
  // Each section ends with a notes group, which readers of the catalogue pass over.
  void CloseSection() {
    if (!current_) return;
    std::string note =
        set_.albums[current_->album].title + ", part " + std::to_string(current_->section + 1);
    xml_ += "    </group>\n    <group kind=\"notes\">\n      <entry><caption text=\"" +
            EscapeXml(note) + "\"/></entry>\n    </group>\n  </section>\n";
  }

  const PictureSet& set_;
  std::string_view baseUrl_;
  const Picture* current_ = nullptr;
  std::string xml_;
};

bool IsUnreserved(unsigned char c) {
  return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '-' ||
         c == '.' || c == '_' || c == '~';
}

}  // namespace

std::string CatalogueXml(const PictureSet& set, const std::vector<size_t>& pictures,
                         std::string_view baseUrl) {
  CatalogueWriter writer(set, baseUrl);
  for (size_t index : pictures) {
    if (index < set.pictures.size()) writer.Add(set.pictures[index]);
  }
  return writer.Finish();
}

std::string PictureAddress(std::string_view baseUrl, std::string_view path) {
  std::string address(baseUrl);
  address += kPicturesRoot;
  address += EscapeUrlPath(path);
  return address;
}

std::string EscapeXml(std::string_view text) {
  std::string escaped;
  escaped.reserve(text.size());
  for (char c : text) {
    switch (c) {
      case '&': escaped += "&amp;"; break;
      case '<': escaped += "&lt;"; break;
      case '>': escaped += "&gt;"; break;
      case '"': escaped += "&quot;"; break;
      case '\'': escaped += "&apos;"; break;
      default: escaped += c;
    }
  }
  return escaped;
}

std::string EscapeUrlPath(std::string_view path) {
  static constexpr char kHex[] = "0123456789ABCDEF";
  std::string escaped;
  for (unsigned char c : path) {
    if (IsUnreserved(c) || c == '/') {
      escaped += static_cast<char>(c);
    } else {
      escaped += '%';
      escaped += kHex[c >> 4];
      escaped += kHex[c & 15];
    }
  }
  return escaped;
}

}  // namespace catalogue
