{
	"patcher": {
		"fileversion": 1,
		"appversion": {
			"major": 8,
			"minor": 2,
			"revision": 0,
			"architecture": "x64",
			"modernui": 1
		},
		"classnamespace": "box",
		"rect": [
			100.0,
			100.0,
			700.0,
			720.0
		],
		"bglocked": 0,
		"openinpresentation": 0,
		"default_fontsize": 12.0,
		"default_fontface": 0,
		"default_fontname": "Arial",
		"gridonopen": 1,
		"gridsize": [
			15.0,
			15.0
		],
		"description": "morv.track~: pitch, voicing probability and notes of a melody, live",
		"digest": "Pitch, voicing probability and notes of a melody",
		"boxes": [
			{
				"box": {
					"id": "obj-1",
					"maxclass": "newobj",
					"numinlets": 0,
					"numoutlets": 0,
					"patching_rect": [
						20,
						20,
						80,
						22
					],
					"outlettype": [],
					"text": "p basic",
					"patcher": {
						"fileversion": 1,
						"appversion": {
							"major": 8,
							"minor": 2,
							"revision": 0,
							"architecture": "x64",
							"modernui": 1
						},
						"classnamespace": "box",
						"rect": [
							0.0,
							26.0,
							700.0,
							680
						],
						"bglocked": 0,
						"openinpresentation": 0,
						"default_fontsize": 12.0,
						"default_fontface": 0,
						"default_fontname": "Arial",
						"gridonopen": 1,
						"gridsize": [
							15.0,
							15.0
						],
						"showontab": 1,
						"description": "",
						"digest": "",
						"tags": "",
						"style": "",
						"subpatcher_template": "",
						"boxes": [
							{
								"box": {
									"id": "basic-1",
									"maxclass": "jsui",
									"numinlets": 1,
									"numoutlets": 1,
									"patching_rect": [
										20,
										15,
										560,
										57
									],
									"outlettype": [
										""
									],
									"filename": "helpdetails.js",
									"jsarguments": [
										"morv.track~"
									],
									"border": 0,
									"ignoreclick": 1,
									"parameter_enable": 0
								}
							},
							{
								"box": {
									"id": "basic-2",
									"maxclass": "comment",
									"numinlets": 1,
									"numoutlets": 0,
									"patching_rect": [
										20,
										80,
										560,
										62
									],
									"text": "1. Click the speaker to turn audio on, then 2. open a sound file and play it, or 3. analyse the first input of your sound card. The notes play on the computer's MIDI synthesizer (double-click noteout to choose another) and light up the keyboard.",
									"linecount": 3
								}
							},
							{
								"box": {
									"id": "basic-3",
									"maxclass": "ezdac~",
									"numinlets": 2,
									"numoutlets": 0,
									"patching_rect": [
										600,
										80,
										45,
										45
									],
									"local": 1
								}
							},
							{
								"box": {
									"id": "basic-4",
									"maxclass": "message",
									"numinlets": 2,
									"numoutlets": 1,
									"patching_rect": [
										20,
										150,
										135,
										22
									],
									"outlettype": [
										""
									],
									"text": "open cello-f2.aif"
								}
							},
							{
								"box": {
									"id": "basic-5",
									"maxclass": "message",
									"numinlets": 2,
									"numoutlets": 1,
									"patching_rect": [
										150,
										150,
										44,
										22
									],
									"outlettype": [
										""
									],
									"text": "open"
								}
							},
							{
								"box": {
									"id": "basic-6",
									"maxclass": "message",
									"numinlets": 2,
									"numoutlets": 1,
									"patching_rect": [
										200,
										150,
										30,
										22
									],
									"outlettype": [
										""
									],
									"text": "1"
								}
							},
							{
								"box": {
									"id": "basic-7",
									"maxclass": "message",
									"numinlets": 2,
									"numoutlets": 1,
									"patching_rect": [
										235,
										150,
										30,
										22
									],
									"outlettype": [
										""
									],
									"text": "0"
								}
							},
							{
								"box": {
									"id": "basic-8",
									"maxclass": "message",
									"numinlets": 2,
									"numoutlets": 1,
									"patching_rect": [
										270,
										150,
										58,
										22
									],
									"outlettype": [
										""
									],
									"text": "loop 1"
								}
							},
							{
								"box": {
									"id": "basic-9",
									"maxclass": "comment",
									"numinlets": 1,
									"numoutlets": 0,
									"patching_rect": [
										330,
										150,
										330,
										22
									],
									"text": "2. a sound file: open (this one, or choose), 1 plays, 0 stops"
								}
							},
							{
								"box": {
									"id": "basic-10",
									"maxclass": "newobj",
									"numinlets": 2,
									"numoutlets": 2,
									"patching_rect": [
										20,
										185,
										120,
										22
									],
									"outlettype": [
										"signal",
										"bang"
									],
									"text": "sfplay~ 1"
								}
							},
							{
								"box": {
									"id": "basic-11",
									"maxclass": "newobj",
									"numinlets": 1,
									"numoutlets": 1,
									"patching_rect": [
										160,
										185,
										50,
										22
									],
									"outlettype": [
										"signal"
									],
									"text": "adc~ 1"
								}
							},
							{
								"box": {
									"id": "basic-12",
									"maxclass": "message",
									"numinlets": 2,
									"numoutlets": 1,
									"patching_rect": [
										230,
										185,
										30,
										22
									],
									"outlettype": [
										""
									],
									"text": "1"
								}
							},
							{
								"box": {
									"id": "basic-13",
									"maxclass": "message",
									"numinlets": 2,
									"numoutlets": 1,
									"patching_rect": [
										265,
										185,
										30,
										22
									],
									"outlettype": [
										""
									],
									"text": "2"
								}
							},
							{
								"box": {
									"id": "basic-14",
									"maxclass": "comment",
									"numinlets": 1,
									"numoutlets": 0,
									"patching_rect": [
										300,
										185,
										300,
										22
									],
									"text": "choose the input: 1 the sound file, 2 the sound card"
								}
							},
							{
								"box": {
									"id": "basic-15",
									"maxclass": "newobj",
									"numinlets": 3,
									"numoutlets": 1,
									"patching_rect": [
										20,
										225,
										160,
										22
									],
									"outlettype": [
										"signal"
									],
									"text": "selector~ 2 1"
								}
							},
							{
								"box": {
									"id": "basic-16",
									"maxclass": "message",
									"numinlets": 2,
									"numoutlets": 1,
									"patching_rect": [
										220,
										260,
										51,
										22
									],
									"outlettype": [
										""
									],
									"text": "reset"
								}
							},
							{
								"box": {
									"id": "basic-17",
									"maxclass": "comment",
									"numinlets": 1,
									"numoutlets": 0,
									"patching_rect": [
										270,
										260,
										300,
										22
									],
									"text": "end the sounding note and start afresh"
								}
							},
							{
								"box": {
									"id": "basic-18",
									"maxclass": "message",
									"numinlets": 2,
									"numoutlets": 1,
									"patching_rect": [
										220,
										290,
										72,
										22
									],
									"outlettype": [
										""
									],
									"text": "active 0"
								}
							},
							{
								"box": {
									"id": "basic-19",
									"maxclass": "message",
									"numinlets": 2,
									"numoutlets": 1,
									"patching_rect": [
										290,
										290,
										72,
										22
									],
									"outlettype": [
										""
									],
									"text": "active 1"
								}
							},
							{
								"box": {
									"id": "basic-20",
									"maxclass": "comment",
									"numinlets": 1,
									"numoutlets": 0,
									"patching_rect": [
										360,
										290,
										300,
										22
									],
									"text": "pause (the sounding note ends) and resume"
								}
							},
							{
								"box": {
									"id": "basic-21",
									"maxclass": "newobj",
									"numinlets": 1,
									"numoutlets": 3,
									"patching_rect": [
										20,
										330,
										180,
										22
									],
									"outlettype": [
										"float",
										"float",
										""
									],
									"text": "morv.track~"
								}
							},
							{
								"box": {
									"id": "basic-22",
									"maxclass": "flonum",
									"numinlets": 1,
									"numoutlets": 2,
									"patching_rect": [
										20,
										370,
										70,
										22
									],
									"outlettype": [
										"",
										"bang"
									],
									"format": 6
								}
							},
							{
								"box": {
									"id": "basic-23",
									"maxclass": "flonum",
									"numinlets": 1,
									"numoutlets": 2,
									"patching_rect": [
										110,
										370,
										70,
										22
									],
									"outlettype": [
										"",
										"bang"
									],
									"format": 6
								}
							},
							{
								"box": {
									"id": "basic-24",
									"maxclass": "comment",
									"numinlets": 1,
									"numoutlets": 0,
									"patching_rect": [
										20,
										395,
										80,
										22
									],
									"text": "pitch, Hz"
								}
							},
							{
								"box": {
									"id": "basic-25",
									"maxclass": "comment",
									"numinlets": 1,
									"numoutlets": 0,
									"patching_rect": [
										110,
										395,
										170,
										22
									],
									"text": "voicing probability, 0 to 1"
								}
							},
							{
								"box": {
									"id": "basic-26",
									"maxclass": "newobj",
									"numinlets": 3,
									"numoutlets": 0,
									"patching_rect": [
										300,
										370,
										60,
										22
									],
									"outlettype": [],
									"text": "noteout"
								}
							},
							{
								"box": {
									"id": "basic-27",
									"maxclass": "comment",
									"numinlets": 1,
									"numoutlets": 0,
									"patching_rect": [
										370,
										370,
										290,
										22
									],
									"text": "notes: pitch velocity; velocity 0 ends the note"
								}
							},
							{
								"box": {
									"id": "basic-28",
									"maxclass": "newobj",
									"numinlets": 1,
									"numoutlets": 2,
									"patching_rect": [
										300,
										420,
										80,
										22
									],
									"outlettype": [
										"int",
										"int"
									],
									"text": "unpack 0 0"
								}
							},
							{
								"box": {
									"id": "basic-29",
									"maxclass": "kslider",
									"numinlets": 2,
									"numoutlets": 2,
									"patching_rect": [
										300,
										455,
										336,
										53
									],
									"outlettype": [
										"int",
										"int"
									],
									"mode": 1,
									"parameter_enable": 0
								}
							},
							{
								"box": {
									"id": "basic-30",
									"maxclass": "comment",
									"numinlets": 1,
									"numoutlets": 0,
									"patching_rect": [
										20,
										520,
										640,
										122
									],
									"text": "The pitch and its voicing probability come out for every frame (about every 6 ms), right to left, after the reporting delay (the delay attribute, which lag sets); a note's start and end come out just before the frame where the sound changes. While no note is voiced the pitch outlet sends the pitch the frame would have, negated, or 0 when there is none: test > 0 for voiced frames. The notes never overlap: a note ends (velocity 0) before the next starts, and reset, active, a change of the range or the lag, and audio switched off all end the sounding note first.",
									"linecount": 6
								}
							}
						],
						"lines": [
							{
								"patchline": {
									"source": [
										"basic-4",
										0
									],
									"destination": [
										"basic-10",
										0
									]
								}
							},
							{
								"patchline": {
									"source": [
										"basic-5",
										0
									],
									"destination": [
										"basic-10",
										0
									]
								}
							},
							{
								"patchline": {
									"source": [
										"basic-6",
										0
									],
									"destination": [
										"basic-10",
										0
									]
								}
							},
							{
								"patchline": {
									"source": [
										"basic-7",
										0
									],
									"destination": [
										"basic-10",
										0
									]
								}
							},
							{
								"patchline": {
									"source": [
										"basic-8",
										0
									],
									"destination": [
										"basic-10",
										0
									]
								}
							},
							{
								"patchline": {
									"source": [
										"basic-10",
										0
									],
									"destination": [
										"basic-3",
										0
									]
								}
							},
							{
								"patchline": {
									"source": [
										"basic-10",
										0
									],
									"destination": [
										"basic-3",
										1
									]
								}
							},
							{
								"patchline": {
									"source": [
										"basic-12",
										0
									],
									"destination": [
										"basic-15",
										0
									]
								}
							},
							{
								"patchline": {
									"source": [
										"basic-13",
										0
									],
									"destination": [
										"basic-15",
										0
									]
								}
							},
							{
								"patchline": {
									"source": [
										"basic-10",
										0
									],
									"destination": [
										"basic-15",
										1
									]
								}
							},
							{
								"patchline": {
									"source": [
										"basic-11",
										0
									],
									"destination": [
										"basic-15",
										2
									]
								}
							},
							{
								"patchline": {
									"source": [
										"basic-15",
										0
									],
									"destination": [
										"basic-21",
										0
									]
								}
							},
							{
								"patchline": {
									"source": [
										"basic-16",
										0
									],
									"destination": [
										"basic-21",
										0
									]
								}
							},
							{
								"patchline": {
									"source": [
										"basic-18",
										0
									],
									"destination": [
										"basic-21",
										0
									]
								}
							},
							{
								"patchline": {
									"source": [
										"basic-19",
										0
									],
									"destination": [
										"basic-21",
										0
									]
								}
							},
							{
								"patchline": {
									"source": [
										"basic-21",
										0
									],
									"destination": [
										"basic-22",
										0
									]
								}
							},
							{
								"patchline": {
									"source": [
										"basic-21",
										1
									],
									"destination": [
										"basic-23",
										0
									]
								}
							},
							{
								"patchline": {
									"source": [
										"basic-21",
										2
									],
									"destination": [
										"basic-26",
										0
									]
								}
							},
							{
								"patchline": {
									"source": [
										"basic-21",
										2
									],
									"destination": [
										"basic-28",
										0
									]
								}
							},
							{
								"patchline": {
									"source": [
										"basic-28",
										0
									],
									"destination": [
										"basic-29",
										0
									]
								}
							},
							{
								"patchline": {
									"source": [
										"basic-28",
										1
									],
									"destination": [
										"basic-29",
										1
									]
								}
							}
						]
					}
				}
			},
			{
				"box": {
					"id": "obj-2",
					"maxclass": "newobj",
					"numinlets": 0,
					"numoutlets": 0,
					"patching_rect": [
						120,
						20,
						80,
						22
					],
					"outlettype": [],
					"text": "p attributes",
					"patcher": {
						"fileversion": 1,
						"appversion": {
							"major": 8,
							"minor": 2,
							"revision": 0,
							"architecture": "x64",
							"modernui": 1
						},
						"classnamespace": "box",
						"rect": [
							0.0,
							26.0,
							700.0,
							700
						],
						"bglocked": 0,
						"openinpresentation": 0,
						"default_fontsize": 12.0,
						"default_fontface": 0,
						"default_fontname": "Arial",
						"gridonopen": 1,
						"gridsize": [
							15.0,
							15.0
						],
						"showontab": 1,
						"description": "",
						"digest": "",
						"tags": "",
						"style": "",
						"subpatcher_template": "",
						"boxes": [
							{
								"box": {
									"id": "attributes-1",
									"maxclass": "jsui",
									"numinlets": 1,
									"numoutlets": 1,
									"patching_rect": [
										20,
										15,
										560,
										57
									],
									"outlettype": [
										""
									],
									"filename": "helpdetails.js",
									"jsarguments": [
										"morv.track~"
									],
									"border": 0,
									"ignoreclick": 1,
									"parameter_enable": 0
								}
							},
							{
								"box": {
									"id": "attributes-2",
									"maxclass": "comment",
									"numinlets": 1,
									"numoutlets": 0,
									"patching_rect": [
										20,
										80,
										560,
										42
									],
									"text": "Click the speaker; the first input of the sound card is analysed. Every attribute can be set with a message or in the inspector; attrui shows and sets one.",
									"linecount": 2
								}
							},
							{
								"box": {
									"id": "attributes-3",
									"maxclass": "ezdac~",
									"numinlets": 2,
									"numoutlets": 0,
									"patching_rect": [
										600,
										80,
										45,
										45
									],
									"local": 1
								}
							},
							{
								"box": {
									"id": "attributes-4",
									"maxclass": "newobj",
									"numinlets": 1,
									"numoutlets": 1,
									"patching_rect": [
										20,
										130,
										50,
										22
									],
									"outlettype": [
										"signal"
									],
									"text": "adc~ 1"
								}
							},
							{
								"box": {
									"id": "attributes-5",
									"maxclass": "newobj",
									"numinlets": 1,
									"numoutlets": 3,
									"patching_rect": [
										20,
										360,
										180,
										22
									],
									"outlettype": [
										"float",
										"float",
										""
									],
									"text": "morv.track~"
								}
							},
							{
								"box": {
									"id": "attributes-6",
									"maxclass": "attrui",
									"numinlets": 1,
									"numoutlets": 1,
									"patching_rect": [
										20,
										165,
										160,
										22
									],
									"outlettype": [
										""
									],
									"attr": "fmin",
									"parameter_enable": 0
								}
							},
							{
								"box": {
									"id": "attributes-7",
									"maxclass": "message",
									"numinlets": 2,
									"numoutlets": 1,
									"patching_rect": [
										190,
										165,
										65,
										22
									],
									"outlettype": [
										""
									],
									"text": "fmin 80"
								}
							},
							{
								"box": {
									"id": "attributes-8",
									"maxclass": "comment",
									"numinlets": 1,
									"numoutlets": 0,
									"patching_rect": [
										330,
										165,
										370,
										22
									],
									"text": "lowest pitch sought, Hz, 10 to 20000 (default 40); lower costs more"
								}
							},
							{
								"box": {
									"id": "attributes-9",
									"maxclass": "attrui",
									"numinlets": 1,
									"numoutlets": 1,
									"patching_rect": [
										20,
										200,
										160,
										22
									],
									"outlettype": [
										""
									],
									"attr": "fmax",
									"parameter_enable": 0
								}
							},
							{
								"box": {
									"id": "attributes-10",
									"maxclass": "message",
									"numinlets": 2,
									"numoutlets": 1,
									"patching_rect": [
										190,
										200,
										79,
										22
									],
									"outlettype": [
										""
									],
									"text": "fmax 1000"
								}
							},
							{
								"box": {
									"id": "attributes-11",
									"maxclass": "comment",
									"numinlets": 1,
									"numoutlets": 0,
									"patching_rect": [
										330,
										200,
										370,
										22
									],
									"text": "highest pitch sought, Hz, 20 to 20000 (default 2200)"
								}
							},
							{
								"box": {
									"id": "attributes-12",
									"maxclass": "attrui",
									"numinlets": 1,
									"numoutlets": 1,
									"patching_rect": [
										20,
										235,
										160,
										22
									],
									"outlettype": [
										""
									],
									"attr": "lag",
									"parameter_enable": 0
								}
							},
							{
								"box": {
									"id": "attributes-13",
									"maxclass": "message",
									"numinlets": 2,
									"numoutlets": 1,
									"patching_rect": [
										190,
										235,
										51,
										22
									],
									"outlettype": [
										""
									],
									"text": "lag 0"
								}
							},
							{
								"box": {
									"id": "attributes-14",
									"maxclass": "message",
									"numinlets": 2,
									"numoutlets": 1,
									"patching_rect": [
										251,
										235,
										65,
										22
									],
									"outlettype": [
										""
									],
									"text": "lag 100"
								}
							},
							{
								"box": {
									"id": "attributes-15",
									"maxclass": "message",
									"numinlets": 2,
									"numoutlets": 1,
									"patching_rect": [
										326,
										235,
										65,
										22
									],
									"outlettype": [
										""
									],
									"text": "lag 300"
								}
							},
							{
								"box": {
									"id": "attributes-16",
									"maxclass": "comment",
									"numinlets": 1,
									"numoutlets": 0,
									"patching_rect": [
										401,
										235,
										299,
										22
									],
									"text": "decision delay, ms, 0 to 5000 (default 300): longer decides better; 0 decides every frame at once"
								}
							},
							{
								"box": {
									"id": "attributes-17",
									"maxclass": "attrui",
									"numinlets": 1,
									"numoutlets": 1,
									"patching_rect": [
										20,
										270,
										160,
										22
									],
									"outlettype": [
										""
									],
									"attr": "unit",
									"parameter_enable": 0
								}
							},
							{
								"box": {
									"id": "attributes-18",
									"maxclass": "message",
									"numinlets": 2,
									"numoutlets": 1,
									"patching_rect": [
										190,
										270,
										79,
										22
									],
									"outlettype": [
										""
									],
									"text": "unit midi"
								}
							},
							{
								"box": {
									"id": "attributes-19",
									"maxclass": "message",
									"numinlets": 2,
									"numoutlets": 1,
									"patching_rect": [
										279,
										270,
										65,
										22
									],
									"outlettype": [
										""
									],
									"text": "unit hz"
								}
							},
							{
								"box": {
									"id": "attributes-20",
									"maxclass": "comment",
									"numinlets": 1,
									"numoutlets": 0,
									"patching_rect": [
										354,
										270,
										346,
										22
									],
									"text": "the pitch outlet in Hz or as a fractional MIDI note"
								}
							},
							{
								"box": {
									"id": "attributes-21",
									"maxclass": "attrui",
									"numinlets": 1,
									"numoutlets": 1,
									"patching_rect": [
										20,
										305,
										160,
										22
									],
									"outlettype": [
										""
									],
									"attr": "a4",
									"parameter_enable": 0
								}
							},
							{
								"box": {
									"id": "attributes-22",
									"maxclass": "message",
									"numinlets": 2,
									"numoutlets": 1,
									"patching_rect": [
										190,
										305,
										58,
										22
									],
									"outlettype": [
										""
									],
									"text": "a4 442"
								}
							},
							{
								"box": {
									"id": "attributes-23",
									"maxclass": "comment",
									"numinlets": 1,
									"numoutlets": 0,
									"patching_rect": [
										330,
										305,
										370,
										22
									],
									"text": "tuning of A4 in Hz, 200 to 1000 (default 440), for MIDI pitches and notes"
								}
							},
							{
								"box": {
									"id": "attributes-24",
									"maxclass": "attrui",
									"numinlets": 1,
									"numoutlets": 1,
									"patching_rect": [
										20,
										340,
										160,
										22
									],
									"outlettype": [
										""
									],
									"attr": "delay",
									"parameter_enable": 0
								}
							},
							{
								"box": {
									"id": "attributes-25",
									"maxclass": "comment",
									"numinlets": 1,
									"numoutlets": 0,
									"patching_rect": [
										330,
										340,
										370,
										22
									],
									"text": "read-only: ms from a sound to its report, from the range, the lag and the sample rate"
								}
							},
							{
								"box": {
									"id": "attributes-26",
									"maxclass": "flonum",
									"numinlets": 1,
									"numoutlets": 2,
									"patching_rect": [
										20,
										415,
										70,
										22
									],
									"outlettype": [
										"",
										"bang"
									],
									"format": 6
								}
							},
							{
								"box": {
									"id": "attributes-27",
									"maxclass": "flonum",
									"numinlets": 1,
									"numoutlets": 2,
									"patching_rect": [
										110,
										415,
										70,
										22
									],
									"outlettype": [
										"",
										"bang"
									],
									"format": 6
								}
							},
							{
								"box": {
									"id": "attributes-28",
									"maxclass": "comment",
									"numinlets": 1,
									"numoutlets": 0,
									"patching_rect": [
										20,
										440,
										110,
										22
									],
									"text": "pitch, in the unit"
								}
							},
							{
								"box": {
									"id": "attributes-29",
									"maxclass": "comment",
									"numinlets": 1,
									"numoutlets": 0,
									"patching_rect": [
										130,
										440,
										130,
										22
									],
									"text": "voicing probability"
								}
							},
							{
								"box": {
									"id": "attributes-30",
									"maxclass": "newobj",
									"numinlets": 1,
									"numoutlets": 2,
									"patching_rect": [
										300,
										415,
										80,
										22
									],
									"outlettype": [
										"int",
										"int"
									],
									"text": "unpack 0 0"
								}
							},
							{
								"box": {
									"id": "attributes-31",
									"maxclass": "kslider",
									"numinlets": 2,
									"numoutlets": 2,
									"patching_rect": [
										300,
										450,
										336,
										53
									],
									"outlettype": [
										"int",
										"int"
									],
									"mode": 1,
									"parameter_enable": 0
								}
							},
							{
								"box": {
									"id": "attributes-32",
									"maxclass": "comment",
									"numinlets": 1,
									"numoutlets": 0,
									"patching_rect": [
										20,
										545,
										640,
										42
									],
									"text": "Attributes can also be typed into the box; a change of fmin, fmax or lag ends the sounding note and restarts the analysis, unit and a4 take effect at once:",
									"linecount": 2
								}
							},
							{
								"box": {
									"id": "attributes-33",
									"maxclass": "newobj",
									"numinlets": 1,
									"numoutlets": 3,
									"patching_rect": [
										20,
										595,
										330,
										22
									],
									"outlettype": [
										"float",
										"float",
										""
									],
									"text": "morv.track~ @fmin 80 @fmax 1000 @lag 100 @unit midi"
								}
							},
							{
								"box": {
									"id": "attributes-34",
									"maxclass": "flonum",
									"numinlets": 1,
									"numoutlets": 2,
									"patching_rect": [
										20,
										630,
										70,
										22
									],
									"outlettype": [
										"",
										"bang"
									],
									"format": 6
								}
							},
							{
								"box": {
									"id": "attributes-35",
									"maxclass": "flonum",
									"numinlets": 1,
									"numoutlets": 2,
									"patching_rect": [
										110,
										630,
										70,
										22
									],
									"outlettype": [
										"",
										"bang"
									],
									"format": 6
								}
							},
							{
								"box": {
									"id": "attributes-36",
									"maxclass": "newobj",
									"numinlets": 1,
									"numoutlets": 0,
									"patching_rect": [
										300,
										630,
										80,
										22
									],
									"outlettype": [],
									"text": "print notes"
								}
							}
						],
						"lines": [
							{
								"patchline": {
									"source": [
										"attributes-4",
										0
									],
									"destination": [
										"attributes-5",
										0
									]
								}
							},
							{
								"patchline": {
									"source": [
										"attributes-6",
										0
									],
									"destination": [
										"attributes-5",
										0
									]
								}
							},
							{
								"patchline": {
									"source": [
										"attributes-7",
										0
									],
									"destination": [
										"attributes-5",
										0
									]
								}
							},
							{
								"patchline": {
									"source": [
										"attributes-9",
										0
									],
									"destination": [
										"attributes-5",
										0
									]
								}
							},
							{
								"patchline": {
									"source": [
										"attributes-10",
										0
									],
									"destination": [
										"attributes-5",
										0
									]
								}
							},
							{
								"patchline": {
									"source": [
										"attributes-12",
										0
									],
									"destination": [
										"attributes-5",
										0
									]
								}
							},
							{
								"patchline": {
									"source": [
										"attributes-13",
										0
									],
									"destination": [
										"attributes-5",
										0
									]
								}
							},
							{
								"patchline": {
									"source": [
										"attributes-14",
										0
									],
									"destination": [
										"attributes-5",
										0
									]
								}
							},
							{
								"patchline": {
									"source": [
										"attributes-15",
										0
									],
									"destination": [
										"attributes-5",
										0
									]
								}
							},
							{
								"patchline": {
									"source": [
										"attributes-17",
										0
									],
									"destination": [
										"attributes-5",
										0
									]
								}
							},
							{
								"patchline": {
									"source": [
										"attributes-18",
										0
									],
									"destination": [
										"attributes-5",
										0
									]
								}
							},
							{
								"patchline": {
									"source": [
										"attributes-19",
										0
									],
									"destination": [
										"attributes-5",
										0
									]
								}
							},
							{
								"patchline": {
									"source": [
										"attributes-21",
										0
									],
									"destination": [
										"attributes-5",
										0
									]
								}
							},
							{
								"patchline": {
									"source": [
										"attributes-22",
										0
									],
									"destination": [
										"attributes-5",
										0
									]
								}
							},
							{
								"patchline": {
									"source": [
										"attributes-24",
										0
									],
									"destination": [
										"attributes-5",
										0
									]
								}
							},
							{
								"patchline": {
									"source": [
										"attributes-5",
										0
									],
									"destination": [
										"attributes-26",
										0
									]
								}
							},
							{
								"patchline": {
									"source": [
										"attributes-5",
										1
									],
									"destination": [
										"attributes-27",
										0
									]
								}
							},
							{
								"patchline": {
									"source": [
										"attributes-5",
										2
									],
									"destination": [
										"attributes-30",
										0
									]
								}
							},
							{
								"patchline": {
									"source": [
										"attributes-30",
										0
									],
									"destination": [
										"attributes-31",
										0
									]
								}
							},
							{
								"patchline": {
									"source": [
										"attributes-30",
										1
									],
									"destination": [
										"attributes-31",
										1
									]
								}
							},
							{
								"patchline": {
									"source": [
										"attributes-4",
										0
									],
									"destination": [
										"attributes-33",
										0
									]
								}
							},
							{
								"patchline": {
									"source": [
										"attributes-33",
										0
									],
									"destination": [
										"attributes-34",
										0
									]
								}
							},
							{
								"patchline": {
									"source": [
										"attributes-33",
										1
									],
									"destination": [
										"attributes-35",
										0
									]
								}
							},
							{
								"patchline": {
									"source": [
										"attributes-33",
										2
									],
									"destination": [
										"attributes-36",
										0
									]
								}
							}
						]
					}
				}
			}
		],
		"lines": []
	}
}