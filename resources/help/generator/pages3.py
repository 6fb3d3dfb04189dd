from words import D, ADV
from pages1 import L, RANGE, TOOLBTN, TOOLMSG, page

def tool(name, F, image, intro, own, msgs):
    ctl = own + [([k.replace('{F}', F) for k in ks], d) for ks, d in RANGE + TOOLBTN]
    page(name, F, F + '.Ribbon1', image, intro, ctl, [([k.replace('{F}', F) for k in ks], d) for ks, d in msgs] + TOOLMSG,
         ['func05.html'] + [p for p in ['func05.4.html', 'func05.5.html', 'func05.6.html', 'func05.7.html', 'func05.8.html', 'func05.12.html'] if p != name])

T = 'TextSearchDialog'
OPTS = L('Opções da busca: maiúsculas/minúsculas, palavras inteiras, curingas, só no texto selecionado, expressão regular.','Search options: match case, whole words, wildcards, selected text only, regular expression.','Opciones de búsqueda: mayúsculas/minúsculas, palabras completas, comodines, solo el texto seleccionado, expresión regular.','Options de recherche : casse, mots entiers, jokers, texte sélectionné seulement, expression régulière.','Suchoptionen: Groß-/Kleinschreibung, ganze Wörter, Platzhalter, nur markierter Text, regulärer Ausdruck.')
DIRN = L('Procura para frente (até o fim) ou para trás (até o início).','Searches forward (to the end) or back (to the start).','Busca hacia delante (hasta el final) o hacia atrás (hasta el principio).','Cherche vers l\'avant (jusqu\'à la fin) ou vers l\'arrière (jusqu\'au début).','Sucht vorwärts (bis zum Ende) oder rückwärts (bis zum Anfang).')
page('func05.2.html', T, T + '.Ribbon1', 'form-find',
 L('Procura um texto no arquivo aberto no editor. O texto encontrado fica selecionado; {NEXT} e {PREV} continuam a busca.',
   'Finds a text in the file open in the editor. The text found is selected; {NEXT} and {PREV} go on searching.',
   'Busca un texto en el archivo abierto en el editor. El texto encontrado queda seleccionado; {NEXT} y {PREV} continúan la búsqueda.',
   'Recherche un texte dans le fichier ouvert dans l\'éditeur. Le texte trouvé est sélectionné ; {NEXT} et {PREV} poursuivent la recherche.',
   'Sucht einen Text in der im Editor geöffneten Datei. Der gefundene Text wird markiert; {NEXT} und {PREV} setzen die Suche fort.'),
 [([T + '.Label1'], L('O texto a procurar.','The text to find.','El texto a buscar.','Le texte à chercher.','Der gesuchte Text.')),
  ([T + '.rgSearchDirection'], DIRN),
  ([T + '.cbSearchCaseSensitive', T + '.cbSearchWholeWords', T + '.cbSearchFromCursor', T + '.cbSearchSelectedOnly', T + '.cbRegularExpression'], OPTS),
  ([T + '.BitBtn1'], L('Procura a próxima ocorrência.','Finds the next occurrence.','Busca la siguiente aparición.','Cherche l\'occurrence suivante.','Sucht das nächste Vorkommen.')),
  ([T + '.BitBtn3'], D['cancel'])],
 [(['Form_Main.MSG41'], L('O texto não foi encontrado. Verifique a grafia, as opções e a direção.','The text was not found. Check the spelling, the options and the direction.','No se encontró el texto. Revise la escritura, las opciones y la dirección.','Texte introuvable. Vérifiez l\'orthographe, les options et le sens.','Der Text wurde nicht gefunden. Prüfen Sie Schreibweise, Optionen und Richtung.')),
  (['Form_Main.MSG21', '*', '""."'], ADV['nofile'])],
 ['func05.html', 'func05.3.html'])

T = 'TextReplaceDialog'
page('func05.3.html', T, T + '.Ribbon1', 'form-replace',
 L('Substitui um texto por outro no arquivo aberto. Para cada ocorrência o sistema pergunta se deve substituí-la; cada substituição é registrada no painel de mensagens.',
   'Replaces one text by another in the open file. For each occurrence you are asked whether to replace it; every replacement is recorded in the messages panel.',
   'Sustituye un texto por otro en el archivo abierto. En cada aparición se pregunta si sustituirla; cada sustitución queda registrada en el panel de mensajes.',
   'Remplace un texte par un autre dans le fichier ouvert. Pour chaque occurrence, une question demande s\'il faut la remplacer ; chaque remplacement est noté dans le panneau de messages.',
   'Ersetzt einen Text durch einen anderen in der geöffneten Datei. Bei jedem Vorkommen wird gefragt, ob es ersetzt werden soll; jede Ersetzung wird im Meldungsbereich festgehalten.'),
 [([T + '.Label1', T + '.Label2'], L('O texto a procurar e o novo texto.','The text to find and the new text.','El texto a buscar y el texto nuevo.','Le texte à chercher et le nouveau texte.','Der gesuchte und der neue Text.')),
  ([T + '.rgSearchDirection'], DIRN),
  ([T + '.cbSearchCaseSensitive', T + '.cbSearchWholeWords', T + '.cbSearchFromCursor', T + '.cbSearchSelectedOnly', T + '.cbRegularExpression'], OPTS),
  ([T + '.BitBtn1'], L('Inicia a substituição.','Starts replacing.','Empieza a sustituir.','Lance le remplacement.','Startet das Ersetzen.')),
  ([T + '.BitBtn3'], D['cancel'])],
 [(['ConfirmReplaceDialog.MSG01'], ADV['question']), (['Form_Main.MSG41'], L('O texto não foi encontrado.','The text was not found.','No se encontró el texto.','Texte introuvable.','Der Text wurde nicht gefunden.')),
  (['Form_Main.MSG19', '*', 'Form_Main.MSG20', '*'], ADV['history']), (['Form_Main.MSG21', '*', '""."'], ADV['nofile'])],
 ['func05.html', 'func05.2.html'])

tool('func05.4.html', 'Form_EDT1', 'form-edt1',
 L('Remove os espaços das linhas do programa, ou coloca um espaço antes de cada endereço (letra) para facilitar a leitura.',
   'Removes the blanks from the program lines, or puts one blank before each address letter to make the program easier to read.',
   'Quita los espacios de las líneas del programa, o pone un espacio antes de cada dirección (letra) para facilitar la lectura.',
   'Supprime les espaces des lignes du programme, ou place un espace devant chaque adresse (lettre) pour faciliter la lecture.',
   'Entfernt die Leerzeichen aus den Programmzeilen oder setzt vor jeden Adressbuchstaben ein Leerzeichen, damit das Programm besser lesbar ist.'),
 [(['Form_EDT1.RadioButton1', 'Form_EDT1.RadioButton2'], L('Escolha remover ou acrescentar espaços.','Choose whether to remove or add blanks.','Elija quitar o añadir espacios.','Choisissez de supprimer ou d\'ajouter des espaces.','Wählen Sie Entfernen oder Hinzufügen.'))],
 [(['Form_EDT1.MSG01'], ADV['history']), (['Form_EDT1.MSG03'], ADV['history']), (['Form_EDT1.MSG04'], ADV['history'])])

tool('func05.5.html', 'Form_EDT2', 'form-edt2',
 L('Numera ou renumera os blocos (palavras N) do programa a partir de um número inicial com o incremento escolhido.',
   'Numbers or renumbers the blocks (N words) of the program from a start number with the chosen increment.',
   'Numera o renumera los bloques (palabras N) del programa desde un número inicial con el incremento elegido.',
   'Numérote ou renumérote les blocs (mots N) du programme à partir d\'un numéro initial avec l\'incrément choisi.',
   'Nummeriert die Sätze (N-Wörter) des Programms ab einer Startnummer mit der gewählten Schrittweite (neu).'),
 [(['Form_EDT2.Label2', 'Form_EDT2.Label3'], L('Número do primeiro bloco e incremento entre blocos.','Number of the first block and the step between blocks.','Número del primer bloque e incremento entre bloques.','Numéro du premier bloc et pas entre les blocs.','Nummer des ersten Satzes und Schrittweite.')),
  (['Form_EDT2.CheckBox1'], L('Completa os números com zeros à esquerda até o número de dígitos indicado.','Pads the numbers with leading zeros to the number of digits given.','Completa los números con ceros a la izquierda hasta los dígitos indicados.','Complète les numéros par des zéros à gauche jusqu\'au nombre de chiffres indiqué.','Füllt die Nummern mit führenden Nullen auf die angegebene Stellenzahl auf.')),
  (['Form_EDT2.CheckBox3'], L('Marcado: substitui os números N existentes; desmarcado: acrescenta um número N em cada linha.','Checked: replaces the existing N numbers; unchecked: puts an N number in front of every line.','Marcado: sustituye los números N existentes; desmarcado: pone un número N delante de cada línea.','Coché : remplace les numéros N existants ; décoché : ajoute un numéro N devant chaque ligne.','Aktiviert: ersetzt vorhandene N-Nummern; deaktiviert: setzt eine N-Nummer vor jede Zeile.'))],
 [(['Form_EDT2.MSG05'], ADV['history']), (['Form_EDT2.MSG06', '*', 'Form_EDT2.MSG07', '*'], ADV['history']),
  (['@Extra.BlockCounterOverflow'], L('O número do bloco ficou grande demais. Use número inicial ou incremento menor.','The block number grew too large. Use a smaller start number or increment.','El número de bloque es demasiado grande. Use un número inicial o incremento menor.','Le numéro de bloc est devenu trop grand. Prenez un numéro initial ou un pas plus petit.','Die Satznummer wurde zu groß. Verwenden Sie eine kleinere Startnummer oder Schrittweite.'))])

tool('func05.6.html', 'Form_EDT3', 'form-edt3',
 L('Converte as coordenadas I e J dos arcos (G02/G03) entre valores absolutos e incrementais, referidos ao fim ou ao início do arco, conforme o que o comando CNC espera.',
   'Converts the I and J arc coordinates (G02/G03) between absolute and incremental values, referred to the end or the beginning of the arc, as the CNC control expects.',
   'Convierte las coordenadas I y J de los arcos (G02/G03) entre valores absolutos e incrementales, referidos al final o al inicio del arco, según espere el control CNC.',
   'Convertit les coordonnées I et J des arcs (G02/G03) entre valeurs absolues et incrémentales, rapportées à la fin ou au début de l\'arc, selon ce qu\'attend la commande CNC.',
   'Wandelt die I- und J-Koordinaten der Kreisbögen (G02/G03) zwischen absoluten und inkrementellen Werten um, bezogen auf Bogenende oder Bogenanfang, wie es die CNC-Steuerung erwartet.'),
 [(['Form_EDT3.RadioButton1', 'Form_EDT3.RadioButton2', 'Form_EDT3.RadioButton5', 'Form_EDT3.RadioButton6'], L('O tipo de conversão.','The kind of conversion.','El tipo de conversión.','Le type de conversion.','Die Art der Umwandlung.')),
  (['Form_EDT3.CheckBox1'], D['plus'])],
 [(['Form_EDT3.MSG03'], ADV['history']), (['Form_EDT3.MSG04'], ADV['history']), (['Form_EDT3.MSG05'], ADV['history']), (['Form_EDT3.MSG06'], ADV['history'])])

tool('func05.7.html', 'Form_EDT4', 'form-edt4',
 L('Desloca o programa: soma um valor às coordenadas X, Y e/ou Z (valores negativos deslocam no sentido contrário).',
   'Shifts the program: adds a value to the X, Y and/or Z coordinates (negative values shift the other way).',
   'Desplaza el programa: suma un valor a las coordenadas X, Y y/o Z (los valores negativos desplazan en sentido contrario).',
   'Décale le programme : ajoute une valeur aux coordonnées X, Y et/ou Z (une valeur négative décale dans l\'autre sens).',
   'Verschiebt das Programm: addiert einen Wert zu den X-, Y- und/oder Z-Koordinaten (negative Werte verschieben in die Gegenrichtung).'),
 [(['Form_EDT4.CheckBox1', 'Form_EDT4.CheckBox2', 'Form_EDT4.CheckBox3'], L('Marque o eixo e digite o valor a somar.','Check the axis and type the value to add.','Marque el eje y escriba el valor a sumar.','Cochez l\'axe et saisissez la valeur à ajouter.','Aktivieren Sie die Achse und geben Sie den Wert ein.')),
  (['Form_EDT4.CheckBox4'], D['plus'])],
 [(['Form_EDT4.MSG03', '*'], ADV['history']), (['Form_EDT4.MSG04', '*'], ADV['history']), (['Form_EDT4.MSG05', '*'], ADV['history'])])

tool('func05.8.html', 'Form_EDT5', 'form-edt5',
 L('Espelha o programa no eixo X e/ou Y (troca o sinal das coordenadas). Para manter o sentido de corte, troque também G02/G03 e G41/G42.',
   'Mirrors the program in X and/or Y (changes the sign of the coordinates). To keep the cutting direction right, also swap G02/G03 and G41/G42.',
   'Refleja el programa en X y/o Y (cambia el signo de las coordenadas). Para mantener el sentido de corte, cambie también G02/G03 y G41/G42.',
   'Met le programme en miroir en X et/ou Y (inverse le signe des coordonnées). Pour garder le bon sens d\'usinage, échangez aussi G02/G03 et G41/G42.',
   'Spiegelt das Programm in X und/oder Y (kehrt das Vorzeichen der Koordinaten um). Damit die Bearbeitungsrichtung stimmt, tauschen Sie auch G02/G03 und G41/G42.'),
 [(['Form_EDT5.CheckBox1', 'Form_EDT5.CheckBox2'], L('Eixos a espelhar.','Axes to mirror.','Ejes a reflejar.','Axes à mettre en miroir.','Zu spiegelnde Achsen.')),
  (['Form_EDT5.CheckBox3', 'Form_EDT5.CheckBox4', 'Form_EDT5.CheckBox5', 'Form_EDT5.CheckBox6'], L('Trocas de códigos G feitas junto com o espelhamento.','G-code swaps made together with the mirroring.','Cambios de códigos G hechos junto con el reflejo.','Échanges de codes G faits avec le miroir.','G-Code-Tausch zusammen mit dem Spiegeln.')),
  (['Form_EDT5.CheckBox7'], D['plus'])],
 [(['Form_EDT5.MSG03'], ADV['history']), (['Form_EDT5.MSG05'], ADV['history']), (['Form_EDT5.MSG07'], ADV['history'])])

tool('func05.12.html', 'Form_EDT7', 'form-edt7',
 L('Acrescenta um caractere (por exemplo ";" ou "%") no início ou no fim das linhas do programa.',
   'Adds a character (for example ";" or "%") at the beginning or at the end of the program lines.',
   'Añade un carácter (por ejemplo ";" o "%") al principio o al final de las líneas del programa.',
   'Ajoute un caractère (par exemple ";" ou "%") au début ou à la fin des lignes du programme.',
   'Fügt ein Zeichen (zum Beispiel ";" oder "%") am Anfang oder am Ende der Programmzeilen hinzu.'),
 [(['Form_EDT7.Label2'], L('O caractere a acrescentar.','The character to add.','El carácter a añadir.','Le caractère à ajouter.','Das hinzuzufügende Zeichen.')),
  (['Form_EDT7.RadioButton1', 'Form_EDT7.RadioButton2'], L('Onde colocar o caractere.','Where to put the character.','Dónde poner el carácter.','Où placer le caractère.','Wo das Zeichen hinkommt.'))],
 [(['Form_EDT7.MSG05'], L('Escolha início ou fim da linha e aplique de novo.','Choose beginning or end of line and apply again.','Elija principio o final de línea y aplique de nuevo.','Choisissez début ou fin de ligne et appliquez de nouveau.','Wählen Sie Zeilenanfang oder -ende und wenden Sie erneut an.')),
  (['Form_EDT7.MSG03'], ADV['history']), (['Form_EDT7.MSG04'], ADV['history'])])

page('func05.9.html', 'Form_Font', 'Form_Font.Ribbon1', 'form-font',
 L('Escolhe a fonte e o tamanho de letra do editor de programas CNC. O exemplo mostra o resultado antes de aplicar; a escolha fica gravada para as próximas sessões.',
   'Chooses the font and size of the CNC program editor. The sample shows the result before you apply it; the choice is kept for the next sessions.',
   'Elige la fuente y el tamaño de letra del editor de programas CNC. El ejemplo muestra el resultado antes de aplicar; la elección se guarda para las próximas sesiones.',
   'Choisit la police et la taille de l\'éditeur de programmes CNC. L\'exemple montre le résultat avant d\'appliquer ; le choix est conservé pour les sessions suivantes.',
   'Wählt Schriftart und -größe des CNC-Programmeditors. Das Beispiel zeigt das Ergebnis vor dem Anwenden; die Auswahl bleibt für die nächsten Sitzungen gespeichert.'),
 [(['Form_Font.Label1', 'Form_Font.Label2'], L('Nome e tamanho da fonte.','Font name and size.','Nombre y tamaño de la fuente.','Nom et taille de la police.','Schriftname und -größe.')),
  (['Form_Font.Panel1'], L('Exemplo com a fonte escolhida.','Sample in the chosen font.','Ejemplo con la fuente elegida.','Exemple dans la police choisie.','Beispiel in der gewählten Schrift.')),
  (['Form_Font.BitBtn1'], D['apply_set']), (['Form_Font.BitBtn3'], D['cancel'])],
 [], ['func05.html', 'func05.10.html'])

C = 'Form_EDT_COR'
page('func05.10.html', C, C + '.Ribbon1', 'form-edt-cor',
 L('Define a cor de cada tipo de palavra do código G no editor (endereços A, B, C, F, G ... Z, comentários, caracteres especiais). Clique na cor ao lado de cada função para escolher outra.',
   'Sets the colour of each kind of G-code word in the editor (addresses A, B, C, F, G ... Z, comments, special characters). Click the colour next to a function to choose another.',
   'Define el color de cada tipo de palabra del código G en el editor (direcciones A, B, C, F, G ... Z, comentarios, caracteres especiales). Haga clic en el color junto a cada función para elegir otro.',
   'Définit la couleur de chaque sorte de mot du code G dans l\'éditeur (adresses A, B, C, F, G ... Z, commentaires, caractères spéciaux). Cliquez sur la couleur d\'une fonction pour en choisir une autre.',
   'Legt die Farbe jeder Art von G-Code-Wort im Editor fest (Adressen A, B, C, F, G ... Z, Kommentare, Sonderzeichen). Klicken Sie auf die Farbe neben einer Funktion, um eine andere zu wählen.'),
 [([C + '.Label1', C + '.Label6', C + '.Label10', C + '.Label15', C + '.Label3', C + '.Label18'], L('Exemplos das funções; cada linha tem sua cor.','Examples of the functions; each row has its colour.','Ejemplos de las funciones; cada fila tiene su color.','Exemples de fonctions ; chaque ligne a sa couleur.','Beispiele der Funktionen; jede Zeile hat ihre Farbe.')),
  ([C + '.BitBtn1'], D['apply_set']), ([C + '.BitBtn3'], D['cancel'])],
 [], ['func05.html', 'func05.9.html'])
