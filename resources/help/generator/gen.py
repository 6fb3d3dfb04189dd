# Writes the help pages of every language from the page texts here and the
# captions and messages of the language catalog, so the pages quote the texts
# the operator sees. Pictures: images/<name>.png in each language folder, made
# with zavrin-gallery (scaled to at most 900 px, 256 colours) by make-images.sh.
# Usage: python3 resources/help/generator/gen.py
import sys, os, html, re
sys.path.insert(0, os.path.dirname(__file__))
import common
from common import LANGS, raw, cap
HERE = os.path.dirname(os.path.abspath(__file__))
common.load(os.path.join(HERE, '..', '..', '..', 'src', 'lang', 'catalog.tsv'))
from words import UI
import pages1, pages2, pages3, pages4, pages5
PAGES = pages1.PAGES
OUT = os.path.join(HERE, '..')
E = html.escape
HTMLLANG = {'PT-BR': 'pt-BR', 'EN': 'en', 'ES': 'es', 'FR': 'fr', 'DE': 'de'}
BYNAME = {p['name']: p for p in PAGES}

def title(p, lang):
    # Windows that serve several pages (send and receive, directory, FTP and
    # serial) share a caption; the page's own subtitle tells them apart.
    t = cap(p['title'], lang)
    return '%s (%s)' % (t, p['sub'][lang]) if p.get('sub') else t

def message(parts, lang):
    out = ''
    for part in parts:
        if isinstance(part, dict):
            # A message with no text of its own in the catalog (an error box
            # with the system's reason): described in words.
            out += '<i>%s</i>' % E(part[lang])
        elif part == '*':
            out += '<i>…</i>'
        elif part.startswith('"'):
            out += E(part[1:-1])
        elif part.startswith('@'):
            t = E(raw(part[1:], lang))
            out += re.sub(r'%\d', '<i>…</i>', t)
        else:
            t = raw(part, lang)
            if part == 'ConfirmReplaceDialog.MSG01':
                # Some translations write the place of the text as "% s".
                out += re.sub(r'% ?s', '<i>…</i>', E(t), count=1)
            else:
                out += E(t)
    return out

def nav(lang, current):
    links = []
    for name, key in (('func03.html', 'Form_Main.RibbonPage1'), ('func04.html', 'Form_Main.RibbonPage2'), ('func05.html', 'Form_Main.RibbonPage3')):
        cls = ' class="here"' if name == current else ''
        links.append('<a href="%s"%s>%s</a>' % (name, cls, E(cap(key, lang))))
    return '<nav class="top"><span class="brand">Zavrin · %s</span> %s</nav>' % (UI['help'][lang], ' '.join(links))

# {NAME} in a page text stands for a caption the operator sees, quoted exactly.
TOKENS = {'P1': 'Form_Main.RibbonPage1', 'P2': 'Form_Main.RibbonPage2', 'P3': 'Form_Main.RibbonPage3',
          'NEXT': 'Form_Main.actSearchNext', 'PREV': 'Form_Main.actSearchPrev', 'CNCFILE': 'Form_Transfer_SERIAL232_R.GroupBox2',
          'YES': 'Extra.Yes', 'NO': 'Extra.No', 'YESALL': 'Extra.CopyYesToAll', 'CANCEL': 'Extra.Cancel',
          'OPENCNC': 'Form_Main.RibbonGroup2', 'SENDPROG': 'Form_Main.RibbonGroup4', 'RECVPROG': 'Form_Main.RibbonGroup19',
          'SETTINGS': 'Form_Main.RibbonGroup25', 'DBLABEL': 'Form_Config.Label1', 'CFGAPPLY': 'Form_Config.BitBtn1', 'SERVERB': 'Extra.ServerAddressButton',
          'REGISTER': 'Form_Main.RibbonGroup5', 'EDITM': 'Form_Main.RibbonGroup6', 'VIEWM': 'Form_Main.RibbonGroup7',
          'SEARCHM': 'Form_Main.Button2', 'CLEARM': 'Form_Main.Button3', 'FILTERB': 'Form_Main.Button4', 'CLEARB': 'Form_Main.Button5',
          'MREGISTER': 'Form_Maquinas.BitBtn1', 'MCHANGE': 'Form_Maquinas.BitBtn2', 'MIMAGE': 'Form_Maquinas.Label2',
          'MACHDIR': 'Form_Maquinas.Label4', 'DSELECT': 'Form_Transfer_DIR.BitBtn4', 'DRECV': 'Form_Transfer_DIR.BitBtn2',
          'FSELECT': 'Form_Transfer_FTP.BitBtn4', 'FDEST': 'Form_Transfer_FTP.Label7', 'FRECV': 'Form_Transfer_FTP.BitBtn2',
          'SRECV': 'Form_Transfer_SERIAL232_R.BitBtn2', 'SSAVE': 'Form_Transfer_SERIAL232_R.BitBtn4',
          'SSEND': 'Form_Transfer_SERIAL232.BitBtn1', 'CHARTOOL': 'Form_Main.RibbonGroup26',
          'SAVEFILE': 'Form_Main.SpeedButton13.Hint', 'SAVEAS': 'Form_Main.SpeedButton16.Hint', 'SAVEALL': 'Form_Main.SpeedButton33.Hint', 'MSGPANEL': 'Form_Main.RibbonGroup20',
          'NOTFOUND': 'Form_Main.MSG41', 'FWD': 'TextSearchDialog.rgSearchDirection.Item0', 'BACK': 'TextSearchDialog.rgSearchDirection.Item1', 'FROMCURSOR': 'TextSearchDialog.cbSearchFromCursor',
          'PCANCEL': 'Form_EDT_Progress.BitBtn3', 'FCANCEL': 'Form_Transfer_FTP.BitBtn3',
          'SCANCEL': 'Form_Transfer_SERIAL232.BitBtn3', 'RCANCEL': 'Form_Transfer_SERIAL232_R.BitBtn3', 'DIGITS': 'Form_EDT2.CheckBox1', 'RENUMBER': 'Form_EDT2.CheckBox3',
          'REMOVESP': 'Form_EDT1.RadioButton1', 'VIEW': 'Extra.ViewButton'}
def fill(text, lang):
    for tok, key in TOKENS.items():
        text = text.replace('{%s}' % tok, '<b>&quot;%s&quot;</b>' % E(cap(key, lang)))
    left = re.findall(r'\{[A-Z0-9]+\}', text)
    if left:
        raise SystemExit('unknown caption token %s' % ' '.join(left))
    return text
def images(p):
    return p['image'] if isinstance(p['image'], list) else [p['image']]

def render(p, lang):
    t = title(p, lang)
    h = ['<!DOCTYPE html>', '<html lang="%s">' % HTMLLANG[lang], '<head>', '<meta charset="utf-8">',
         '<meta name="viewport" content="width=device-width, initial-scale=1">',
         '<title>%s</title>' % E(t), '<link rel="stylesheet" href="../help.css">', '</head>', '<body>', nav(lang, p['name']),
         '<main>', '<h1>%s</h1>' % E(t),
         '<h2>%s</h2>' % UI['purpose'][lang], '<p>%s</p>' % fill(E(p['intro'][lang]), lang).replace('\n\n', '</p>\n<p>')]
    for img in images(p):
        h.append('<figure><img src="images/%s.png" alt="%s"><figcaption>%s</figcaption></figure>' % (img, E(t), UI['shot'][lang]))
    if p['controls']:
        h.append('<h2>%s</h2>' % UI['controls'][lang])
        h.append('<table class="controls"><thead><tr><th>%s</th><th>%s</th></tr></thead><tbody>' % (UI['control'][lang], UI['meaning'][lang]))
        for keys, desc in p['controls']:
            names = ', '.join('<b>%s</b>' % E(cap(k, lang)) for k in keys if cap(k, lang))
            h.append('<tr><td>%s</td><td>%s</td></tr>' % (names, fill(E(desc[lang]), lang)))
        h.append('</tbody></table>')
    if p['messages']:
        h.append('<h2>%s</h2>' % UI['messages'][lang])
        h.append('<table class="messages"><thead><tr><th>%s</th><th>%s</th></tr></thead><tbody>' % (UI['msg'][lang], UI['todo'][lang]))
        for parts, adv in p['messages']:
            h.append('<tr><td class="msg">%s</td><td>%s</td></tr>' % (message(parts, lang), fill(E(adv[lang]), lang)))
        h.append('</tbody></table>')
    rel = [r for r in p['related'] if r in BYNAME]
    if rel:
        h.append('<h2>%s</h2>' % UI['related'][lang])
        h.append('<ul class="related">' + ''.join('<li><a href="%s">%s</a></li>' % (r, E(title(BYNAME[r], lang))) for r in rel) + '</ul>')
    h += ['</main>', '<footer>Zavrin</footer>', '</body>', '</html>', '']
    return '\n'.join(h)

# One stylesheet for all languages: resources/help/help.css, linked as ../help.css.
for lang in LANGS:
    d = os.path.join(OUT, lang)
    os.makedirs(d, exist_ok=True)
    for p in PAGES:
        with open(os.path.join(d, p['name']), 'w', encoding='utf-8', newline='\n') as f:
            f.write(render(p, lang))
print(len(PAGES), 'pages per language:', ' '.join(p['name'] for p in PAGES))
print('images:', ' '.join(sorted(set(i for p in PAGES for i in images(p)))))
