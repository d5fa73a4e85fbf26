function F: Boolean;
var b: Boolean; v: Variant;
begin
  b := True;
  v := 5;
  b := b and v;
  Result := b;
end;
