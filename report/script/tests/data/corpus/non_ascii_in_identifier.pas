function F: Integer;
var café: Integer;
begin
  Result := 1;
end;
