from words import D, ADV
from pages1 import L, RANGE, TOOLBTN, TOOLMSG, page

page('func03.1.html', 'Form_Selecionar_Maquina', 'Form_Selecionar_Maquina.Ribbon1', 'form-selecionar-maquina',
 L('Escolha a máquina com que vai trabalhar. O navegador de programas, o envio e o recebimento passam a usar essa máquina.',
   'Choose the machine you are going to work with. The program browser, sending and receiving then use that machine.',
   'Elija la máquina con la que va a trabajar. El explorador de programas, el envío y la recepción usan entonces esa máquina.',
   'Choisissez la machine avec laquelle vous allez travailler. Le navigateur de programmes, l\'envoi et la réception utilisent ensuite cette machine.',
   'Wählen Sie die Maschine, mit der Sie arbeiten wollen. Programm-Browser, Senden und Empfangen verwenden danach diese Maschine.'),
 [(['Form_Selecionar_Maquina.GroupBox1'], L('Lista das máquinas cadastradas; clique numa para marcá-la (duplo clique seleciona).','List of the registered machines; click one to mark it (a double click selects it).','Lista de las máquinas registradas; haga clic en una para marcarla (doble clic la selecciona).','Liste des machines enregistrées ; cliquez pour en marquer une (un double-clic la sélectionne).','Liste der registrierten Maschinen; ein Klick markiert, ein Doppelklick wählt aus.')),
  (['Form_Selecionar_Maquina.Label8', 'Form_Selecionar_Maquina.Label15', 'Form_Selecionar_Maquina.Label16', 'Form_Selecionar_Maquina.Label17'], L('Dados de cada máquina.','Data of each machine.','Datos de cada máquina.','Données de chaque machine.','Daten jeder Maschine.')),
  (['Form_Selecionar_Maquina.BitBtn1'], L('Seleciona a máquina marcada e fecha a janela.','Selects the marked machine and closes the window.','Selecciona la máquina marcada y cierra la ventana.','Sélectionne la machine marquée et ferme la fenêtre.','Wählt die markierte Maschine und schließt das Fenster.')),
  (['Form_Selecionar_Maquina.BitBtn5'], D['cancel'])],
 [(['Form_Selecionar_Maquina.MSG01'], ADV['select'])],
 ['func03.html', 'func04.html'])

page('func03.3.html', 'Form_DIR', 'Form_DIR.Ribbon1', 'form-dir',
 L('Cria um diretório para os programas de um produto dentro do diretório de programas da máquina selecionada. O nome é formado por cliente, número do produto e revisão, separados por "_" (por exemplo ACME_4711_B).',
   'Creates a directory for the programs of one product inside the program directory of the selected machine. Its name is made of customer, product number and revision joined by "_" (for example ACME_4711_B).',
   'Crea un directorio para los programas de un producto dentro del directorio de programas de la máquina seleccionada. Su nombre se forma con cliente, número de producto y revisión unidos por "_" (por ejemplo ACME_4711_B).',
   'Crée un répertoire pour les programmes d\'un produit dans le répertoire des programmes de la machine sélectionnée. Son nom réunit client, numéro de produit et révision séparés par "_" (par exemple ACME_4711_B).',
   'Legt im Programmverzeichnis der ausgewählten Maschine ein Verzeichnis für die Programme eines Produkts an. Der Name besteht aus Kunde, Produktnummer und Revision, verbunden mit "_" (zum Beispiel ACME_4711_B).'),
 [(['Form_DIR.Label1'], L('Diretório de programas da máquina (somente leitura).','Program directory of the machine (read only).','Directorio de programas de la máquina (solo lectura).','Répertoire des programmes de la machine (lecture seule).','Programmverzeichnis der Maschine (nur lesbar).')),
  (['Form_DIR.Label2', 'Form_DIR.Label3', 'Form_DIR.Label4'], L('As três partes do nome; espaços no início e no fim são removidos.','The three parts of the name; blanks at either end are removed.','Las tres partes del nombre; se quitan los espacios al principio y al final.','Les trois parties du nom ; les blancs aux extrémités sont retirés.','Die drei Teile des Namens; Leerzeichen am Anfang und Ende werden entfernt.')),
  (['Form_DIR.BitBtn1'], L('Cria o diretório e o mostra no navegador.','Creates the directory and shows it in the browser.','Crea el directorio y lo muestra en el explorador.','Crée le répertoire et l\'affiche dans le navigateur.','Legt das Verzeichnis an und zeigt es im Browser.')),
  (['Form_DIR.BitBtn3'], D['cancel'])],
 [(['Form_DIR.MSG07'], ADV['fill']), (['Form_DIR.MSG08'], ADV['fill']), (['Form_DIR.MSG09'], ADV['fill']),
  (['Form_DIR.MSG01', '*', 'Form_DIR.MSG02'], L('Selecione antes uma máquina cujo diretório de programas exista.','First select a machine whose program directory exists.','Seleccione antes una máquina cuyo directorio de programas exista.','Sélectionnez d\'abord une machine dont le répertoire des programmes existe.','Wählen Sie zuerst eine Maschine, deren Programmverzeichnis existiert.')),
  (['Form_DIR.MSG03', '*', 'Form_DIR.MSG04'], L('Esse produto já tem diretório; use-o ou mude a revisão.','That product has a directory already; use it or change the revision.','Ese producto ya tiene directorio; úselo o cambie la revisión.','Ce produit a déjà un répertoire ; utilisez-le ou changez la révision.','Das Produkt hat schon ein Verzeichnis; verwenden Sie es oder ändern Sie die Revision.')),
  (['Form_DIR.MSG05', '*', 'Form_DIR.MSG06'], ADV['ok']), (['@Extra.FolderNotCreated'], ADV['nodir'])],
 ['func03.html', 'func03.1.html'])

def transfer(name, form, image, send, intro, extra_controls, messages, related):
    F = form
    controls = [(['%s.Label1' % F], D['mnum']), (['%s.Label2' % F], D['mdesc'])] + extra_controls
    page(name, form, F + '.Ribbon1', image, intro, controls, messages, related)

DIRCTL = [(['Form_Transfer_DIR.Label3'], D['mdir']), (['Form_Transfer_DIR.Label4'], D['origin']), (['Form_Transfer_DIR.Label5'], D['dest']),
          (['Form_Transfer_DIR.GroupBox2'], D['list']), (['Form_Transfer_DIR.BitBtn4'], D['selfile']),
          (['Form_Transfer_DIR.BitBtn1'], D['send']), (['Form_Transfer_DIR.BitBtn2'], D['recv']), (['Form_Transfer_DIR.BitBtn3'], D['cancel'])]
transfer('func03.4.1.html', 'Form_Transfer_DIR', 'form-transfer-dir', True,
 L('Envia um programa para uma máquina que recebe arquivos por um diretório local ou de rede: o arquivo é copiado para o diretório da máquina.',
   'Sends a program to a machine that takes its files from a local or network directory: the file is copied into the machine\'s directory.',
   'Envía un programa a una máquina que recibe archivos por un directorio local o de red: el archivo se copia en el directorio de la máquina.',
   'Envoie un programme à une machine qui reçoit ses fichiers par un répertoire local ou réseau : le fichier est copié dans le répertoire de la machine.',
   'Sendet ein Programm an eine Maschine, die Dateien über ein lokales oder Netzwerkverzeichnis bekommt: Die Datei wird in das Maschinenverzeichnis kopiert.'),
 DIRCTL,
 [(['Form_Transfer_DIR.MSG07'], ADV['fill']), (['Shared.MSG06', '*', 'Shared.MSG07'], ADV['exists']), (['Form_Transfer_DIR.MSG04', '*', 'Form_Transfer_DIR.MSG05'], ADV['ok']), (['@Extra.CopyFailed'], ADV['nodir'])],
 ['func03.5.1.html', 'func03.html', 'func04.html'])
transfer('func03.5.1.html', 'Form_Transfer_DIR', 'form-transfer-dir', False,
 L('Recebe um programa de uma máquina ligada por diretório local ou de rede: escolha o arquivo na lista; ele é copiado para o diretório local mostrado.',
   'Receives a program from a machine reached through a local or network directory: pick the file in the list; it is copied into the local directory shown.',
   'Recibe un programa de una máquina conectada por directorio local o de red: elija el archivo en la lista; se copia en el directorio local mostrado.',
   'Reçoit un programme d\'une machine reliée par répertoire local ou réseau : choisissez le fichier dans la liste ; il est copié dans le répertoire local affiché.',
   'Empfängt ein Programm von einer Maschine, die über ein lokales oder Netzwerkverzeichnis erreicht wird: Wählen Sie die Datei in der Liste; sie wird in das angezeigte lokale Verzeichnis kopiert.'),
 DIRCTL,
 [(['Form_Transfer_DIR.MSG06'], ADV['select']), (['Form_Transfer_DIR.MSG03'], ADV['fill']), (['Shared.MSG06', '*', 'Shared.MSG07'], ADV['exists']), (['Form_Transfer_DIR.MSG01', '*', 'Form_Transfer_DIR.MSG02'], ADV['ok']), (['@Extra.CopyFailed'], ADV['nodir'])],
 ['func03.4.1.html', 'func03.html', 'func04.html'])

FTPCTL = [(['Form_Transfer_FTP.Label3', 'Form_Transfer_FTP.Label4'], L('Endereço do comando e usuário FTP, do cadastro da máquina.','Address of the control and FTP user, from the machine registration.','Dirección del control y usuario FTP, del registro de la máquina.','Adresse de la commande et utilisateur FTP, issus de l\'enregistrement.','Adresse der Steuerung und FTP-Benutzer aus der Maschinenregistrierung.')),
          (['Form_Transfer_FTP.Label5'], D['mdir']), (['Form_Transfer_FTP.Label6'], D['origin']), (['Form_Transfer_FTP.Label7'], D['dest']),
          (['Form_Transfer_FTP.GroupBox2'], D['list']), (['Form_Transfer_FTP.Label8'], D['pct']), (['Form_Transfer_FTP.BitBtn4'], D['selfile']),
          (['Form_Transfer_FTP.BitBtn1'], D['send']), (['Form_Transfer_FTP.BitBtn2'], D['recv']), (['Form_Transfer_FTP.BitBtn3'], D['cancel'])]
transfer('func03.4.2.html', 'Form_Transfer_FTP', 'form-transfer-ftp', True,
 L('Envia um programa por FTP para o comando da máquina. A lista mostra os programas que já estão lá; se o nome já existir, o sistema pergunta antes de substituir.',
   'Sends a program to the machine\'s control by FTP. The list shows the programs already there; if the name exists, you are asked before it is replaced.',
   'Envía un programa por FTP al control de la máquina. La lista muestra los programas que ya están allí; si el nombre existe, se pregunta antes de sustituirlo.',
   'Envoie un programme par FTP à la commande de la machine. La liste montre les programmes déjà présents ; si le nom existe, une question est posée avant de le remplacer.',
   'Sendet ein Programm per FTP an die Maschinensteuerung. Die Liste zeigt die vorhandenen Programme; existiert der Name schon, wird vor dem Ersetzen gefragt.'),
 FTPCTL,
 [(['Form_Transfer_FTP.MSG12'], ADV['fill']), (['Form_Transfer_FTP.MSG13', '*', 'Form_Transfer_FTP.MSG14'], ADV['exists']),
  (['Form_Transfer_FTP.MSG07', '*', 'Form_Transfer_FTP.MSG08', '*', 'Form_Transfer_FTP.MSG09'], ADV['ok']),
  (['Form_Transfer_FTP.MSG10'], ADV['net']), (['Form_Transfer_FTP.MSG11'], ADV['net']), (['@Extra.FtpTimeout'], ADV['net'])],
 ['func03.5.2.html', 'func04.html', 'func03.html'])
transfer('func03.5.2.html', 'Form_Transfer_FTP', 'form-transfer-ftp', False,
 L('Recebe um programa do comando da máquina por FTP: escolha o arquivo na lista (ou use o botão de seleção); ele é gravado no diretório local mostrado.',
   'Receives a program from the machine\'s control by FTP: pick the file in the list (or use the select button); it is written into the local directory shown.',
   'Recibe un programa del control de la máquina por FTP: elija el archivo en la lista (o use el botón de selección); se graba en el directorio local mostrado.',
   'Reçoit un programme de la commande de la machine par FTP : choisissez le fichier dans la liste (ou le bouton de sélection) ; il est écrit dans le répertoire local affiché.',
   'Empfängt ein Programm per FTP von der Maschinensteuerung: Wählen Sie die Datei in der Liste (oder mit der Auswahl-Schaltfläche); sie wird in das angezeigte lokale Verzeichnis geschrieben.'),
 FTPCTL,
 [(['Form_Transfer_FTP.MSG20'], ADV['select']), (['Form_Transfer_FTP.MSG21'], ADV['fill']), (['Shared.MSG06', '*', 'Shared.MSG07'], ADV['exists']),
  (['Form_Transfer_FTP.MSG15', '*', 'Form_Transfer_FTP.MSG16', '*', 'Form_Transfer_FTP.MSG17'], ADV['ok']),
  (['Form_Transfer_FTP.MSG18'], ADV['net']), (['Form_Transfer_FTP.MSG19'], ADV['net']), (['@Extra.FtpTimeout'], ADV['net'])],
 ['func03.4.2.html', 'func04.html', 'func03.html'])

S = 'Form_Transfer_SERIAL232'
page('func03.4.3.html', S, S + '.Ribbon1', 'form-transfer-serial232',
 L('Envia um programa pela porta serial RS232 para o comando CNC. Prepare o comando para receber e depois pressione o botão de envio; o progresso aparece na barra e nos indicadores.',
   'Sends a program through the RS232 serial port to the CNC control. Make the control ready to receive, then press the send button; progress shows in the bar and the indicators.',
   'Envía un programa por el puerto serie RS232 al control CNC. Prepare el control para recibir y después pulse el botón de envío; el progreso se ve en la barra y los indicadores.',
   'Envoie un programme par le port série RS232 à la commande CNC. Mettez la commande en réception, puis appuyez sur le bouton d\'envoi ; la progression apparaît dans la barre et les témoins.',
   'Sendet ein Programm über die serielle RS232-Schnittstelle an die CNC-Steuerung. Bereiten Sie die Steuerung auf den Empfang vor und drücken Sie dann die Sende-Schaltfläche; der Fortschritt erscheint im Balken und in den Anzeigen.'),
 [([S + '.Label7'], D['origin']), ([S + '.Label1', S + '.Label2', S + '.Label3', S + '.Label4', S + '.Label5', S + '.Label6'], D['port']),
  ([S + '.Label8', S + '.Label9', S + '.Label10', S + '.Label11', S + '.Label12'], D['leds']), ([S + '.Label14'], D['pct']),
  ([S + '.BitBtn1'], D['send']), ([S + '.BitBtn3'], L('Interrompe o envio em andamento ou fecha a janela.','Stops a send in progress, or closes the window.','Detiene el envío en curso o cierra la ventana.','Interrompt l\'envoi en cours ou ferme la fenêtre.','Bricht ein laufendes Senden ab oder schließt das Fenster.'))],
 [([S + '.MSG01', '*'], ADV['history']), ([S + '.MSG03', '*', S + '.MSG04'], ADV['ok']), ([S + '.MSG02'], ADV['cancelled']),
  ([S + '.MSG06', '*', S + '.MSG07'], ADV['ok']), ([S + '.MSG08'], ADV['serial']), (['@Extra.PortNotAvailable'], ADV['serial']),
  (['@Extra.SerialSendFailed'], ADV['serial']), (['@Extra.LinesUnavailable'], ADV['ok'])],
 ['func03.5.3.html', 'func04.html', 'func03.html'])

R = 'Form_Transfer_SERIAL232_R'
page('func03.5.3.html', R, 'Form_Main.MSG05', 'form-transfer-serial232-r',
 L('Recebe um programa pela porta serial RS232. Abra a janela, inicie a transmissão no comando CNC; os dados aparecem no campo {CNCFILE}. Ao final, informe o nome e grave o arquivo no diretório local.',
   'Receives a program through the RS232 serial port. Open the window, then start the output on the CNC control; the data appears in the {CNCFILE} box. When it is complete, give a name and save the file into the local directory.',
   'Recibe un programa por el puerto serie RS232. Abra la ventana y luego inicie la salida en el control CNC; los datos aparecen en el cuadro {CNCFILE}. Al terminar, indique un nombre y guarde el archivo en el directorio local.',
   'Reçoit un programme par le port série RS232. Ouvrez la fenêtre, puis lancez l\'émission sur la commande CNC ; les données apparaissent dans la zone {CNCFILE}. À la fin, donnez un nom et enregistrez le fichier dans le répertoire local.',
   'Empfängt ein Programm über die serielle RS232-Schnittstelle. Öffnen Sie das Fenster und starten Sie dann die Ausgabe an der CNC-Steuerung; die Daten erscheinen im Feld {CNCFILE}. Geben Sie danach einen Namen ein und speichern Sie die Datei im lokalen Verzeichnis.'),
 [([R + '.Label13'], D['dest']), ([R + '.Label7'], L('Diretório onde o arquivo será gravado.','Directory the file is saved into.','Directorio donde se guardará el archivo.','Répertoire où le fichier sera enregistré.','Verzeichnis, in dem die Datei gespeichert wird.')),
  ([R + '.Label1', R + '.Label2', R + '.Label3', R + '.Label4', R + '.Label5', R + '.Label6'], D['port']),
  ([R + '.Label8', R + '.Label9', R + '.Label10', R + '.Label11', R + '.Label12'], D['leds']),
  ([R + '.GroupBox2'], L('Os dados recebidos; podem ser conferidos antes de gravar.','The data received; you can check it before saving.','Los datos recibidos; puede revisarlos antes de guardar.','Les données reçues ; vous pouvez les vérifier avant d\'enregistrer.','Die empfangenen Daten; Sie können sie vor dem Speichern prüfen.')),
  ([R + '.BitBtn2'], L('Abre a porta e espera os dados do comando.','Opens the port and waits for the data from the control.','Abre el puerto y espera los datos del control.','Ouvre le port et attend les données de la commande.','Öffnet den Port und wartet auf die Daten der Steuerung.')),
  ([R + '.BitBtn4'], L('Grava os dados recebidos com o nome indicado.','Saves the received data under the name given.','Guarda los datos recibidos con el nombre indicado.','Enregistre les données reçues sous le nom indiqué.','Speichert die empfangenen Daten unter dem angegebenen Namen.')),
  ([R + '.BitBtn3'], L('Fecha a janela; se houver dados não gravados, pergunta antes.','Closes the window; if received data is not saved yet, it asks first.','Cierra la ventana; si hay datos sin guardar, pregunta antes.','Ferme la fenêtre ; s\'il reste des données non enregistrées, une question est posée.','Schließt das Fenster; sind empfangene Daten noch nicht gespeichert, wird vorher gefragt.'))],
 [([R + '.MSG01'], L('A porta está aberta; inicie a transmissão no comando CNC.','The port is open; start the output on the CNC control.','El puerto está abierto; inicie la salida en el control CNC.','Le port est ouvert ; lancez l\'émission sur la commande CNC.','Der Port ist offen; starten Sie die Ausgabe an der Steuerung.')),
  ([R + '.MSG03'], ADV['ok']), ([R + '.MSG04'], ADV['question']), ([R + '.MSG05', '*', R + '.MSG06'], ADV['ok']),
  ([R + '.MSG07'], L('Nada foi recebido ainda; receba o arquivo primeiro.','Nothing has been received yet; receive the file first.','Aún no se ha recibido nada; reciba primero el archivo.','Rien n\'a encore été reçu ; recevez d\'abord le fichier.','Es wurde noch nichts empfangen; empfangen Sie zuerst die Datei.')),
  ([R + '.MSG08'], ADV['fill']), (['Shared.MSG06', '*', 'Shared.MSG07'], ADV['exists']), ([R + '.MSG09'], ADV['serial']), (['@Extra.PortNotAvailable'], ADV['serial'])],
 ['func03.4.3.html', 'func04.html', 'func03.html'])
