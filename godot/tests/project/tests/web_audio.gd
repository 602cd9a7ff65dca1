extends "res://tests/godot_test.gd"
## A page that plays a tone on a WebView: the web engine reports it audible (audible,
## audible_changed), audio_muted and audio_volume reach the view, and the volume holds the page's
## media elements. A page's sound goes to the system's output, not through Godot's audio, so this
## checks what the web engine reports, not samples.


func run() -> void:
	var view := ClassDB.instantiate("WebView") as Control
	view.size = Vector2(320, 240)
	view.audio_volume = 0.5
	check(not view.audio_muted and view.audio_volume == 0.5 and not view.audible,
		"a new view keeps its volume and is neither muted nor audible")
	var reports: Array[bool] = []
	view.audible_changed.connect(func(audible: bool) -> void: reports.append(audible))
	var answers := {}
	view.javascript_finished.connect(func(id: int, result: Variant, _error: String) -> void: answers[id] = result)
	add_child(view)
	await wait_signal(view.texture_changed, 60)
	view.load_html("<body><audio id='tone' loop autoplay src='data:audio/wav;base64,%s'></audio></body>" % tone_base64(),
		"http://example.invalid/")

	check(await wait_until(func() -> bool: return view.audible, 20), "the playing tone makes the view audible")
	check(reports == [true], "audible_changed(true) arrives with the property (got %s)" % [reports])
	var volume: int = view.run_javascript("document.getElementById('tone').volume")
	check(await wait_until(func() -> bool: return answers.has(volume), 10) and is_equal_approx(float(answers[volume]), 0.5),
		"the page's element plays at the view's volume (got %s)" % [answers.get(volume)])

	view.audio_volume = 0.25
	check(await wait_until(func() -> bool:
			var id: int = view.run_javascript("document.getElementById('tone').volume")
			await wait_until(func() -> bool: return answers.has(id), 5)
			return is_equal_approx(float(answers.get(id, -1)), 0.25), 10),
		"a new volume reaches the element that plays")
	view.audio_muted = true
	check(view.audio_muted, "audio_muted is kept")

	view.run_javascript("document.getElementById('tone').pause()")
	check(await wait_until(func() -> bool: return not view.audible, 20), "the view stops being audible when the tone stops")
	check(reports == [true, false], "audible_changed(false) arrives with the property (got %s)" % [reports])


## One second of a 440 Hz tone as a 16-bit mono WAV at 22050 Hz, in base 64.
func tone_base64() -> String:
	var rate := 22050
	var data := PackedByteArray()
	data.resize(rate * 2)
	for i in rate:
		data.encode_s16(i * 2, int(12000 * sin(TAU * 440.0 * i / rate)))
	var header := PackedByteArray()
	header.resize(44)
	header.encode_u32(0, 0x46464952)  # "RIFF"
	header.encode_u32(4, 36 + data.size())
	header.encode_u32(8, 0x45564157)  # "WAVE"
	header.encode_u32(12, 0x20746d66)  # "fmt "
	header.encode_u32(16, 16)
	header.encode_u16(20, 1)
	header.encode_u16(22, 1)
	header.encode_u32(24, rate)
	header.encode_u32(28, rate * 2)
	header.encode_u16(32, 2)
	header.encode_u16(34, 16)
	header.encode_u32(36, 0x61746164)  # "data"
	header.encode_u32(40, data.size())
	return Marshalls.raw_to_base64(header + data)
