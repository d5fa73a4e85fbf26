function F: Boolean;
var d: DateTime; x: Double; v: Variant;
begin
  x := 100;
  d := x;
  d := 5;
  v := d;
  Result := v = 100;
end;
