#include "cli/BrowseTree.h"
#include "cli/Command.h"
#include "cli/Source.h"
#include "cli/TextFormat.h"
#include "platform/Utf.h"
#include "viewers/core/PreviewClassifier.h"

#include <iostream>

namespace vantrel::cli {

namespace {

int RunPreview(const std::vector<std::string>& args) {
    ArgParser parser(args, {kMapOption}, {"--json"});
    if (parser.WantsHelp()) {
        std::cout << Commands().at("preview").usage;
        return kExitOk;
    }
    if (!parser.Ok())
        return UsageError(parser.Error());
    if (parser.Positional().size() != 2)
        return UsageError("SOURCE と FILE を指定してください（vantrel-cli preview --help）");
    auto session = OpenBrowseSession(parser.Positional()[0], parser.Value(kMapOption));
    if (!session)
        return kExitUsage;
    TreeItem item;
    if (!FindFileItem(*session->root, parser.Positional()[1], &item))
        return kExitUsage;

    FileEntryReader reader(*item.file);
    // Without a picture decoder here, the formats the window decodes are known by their
    // signatures.
    const Preview preview = ClassifyPreview(reader, HasPictureSignature);
    std::u16string text;
    if (preview.kind == PreviewKind::none)
        text = CannotPreviewMessage(preview.tooLarge);
    else if (preview.kind != PreviewKind::image)
        text = PreviewText(preview);
    if (preview.kind == PreviewKind::html && text.starts_with(u'\uFEFF'))
        text.erase(0, 1); // the byte-order mark of the pane's UTF-16 text
    const std::string utf8 = ToUtf8(text);
    if (parser.Flag("--json")) {
        std::cout << "{\"kind\":" << JsonString(PreviewKindName(preview.kind))
                  << ",\"text\":" << JsonString(utf8);
        if (preview.shownBytes != 0)
            std::cout << ",\"shown_bytes\":" << preview.shownBytes;
        std::cout << "}\n";
    } else {
        std::cout << utf8;
        if (preview.kind == PreviewKind::none)
            std::cout << '\n';
    }
    std::cout.flush();
    if (preview.shownBytes != 0)
        std::cerr << "vantrel-cli: ファイルの先頭 " << preview.shownBytes
                  << " バイトだけを表示しました (ファイルのサイズは " << reader.Size()
                  << " バイト)\n";
    if (!std::cout) {
        std::cerr << "vantrel-cli: 出力に書き込めませんでした\n";
        return kExitProblem;
    }
    return kExitOk;
}

const CommandRegistrar kPreview{{
    "preview",
    "プレビューウィンドウが表示する内容を書き出します",
    "使い方: vantrel-cli preview SOURCE FILE [--json]\n"
    "  SOURCE  デバイス、ディスクイメージファイル、または drive:N（drives の番号）\n" +
        std::string(kMapHelp) +
        "  FILE    ファイルの ID パス（ls の ID 列）または表示パス\n"
        "  --json  {\"kind\": 種類, \"text\": 内容} の 1 行で書き出します。種類は none、image、\n"
        "          text、richText、html、documentText、mp3Tags のどれかです。\n"
        "テキスト、RTF の文章、安全化した HTML、文書の文字、MP3 タグ情報をそのまま UTF-8 で\n"
        "書き出します（改行はファイルのとおり）。画像は何も書き出しません（形式は署名で判定\n"
        "します）。プレビューできないファイルはそのメッセージを書き出します。\n",
    RunPreview,
}};

} // namespace

} // namespace vantrel::cli
